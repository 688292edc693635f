# Images and painting: the .pps codec, the software blitter, resources and
# packages, image decoding and the paint modules.
list(APPEND MEDIA_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/Blitter.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/GDIPaintModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/GifDecoder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/IcoDirectory.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ImageDecoder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MediaServices.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PaintModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/BlitterAvx2.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/BlitterKernels.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/BlitterPaths.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/BlitterSse2.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/BlitterSsse3.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PixelChannels.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PpsCodec.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PpsRle.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ResPackage.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ResourceCategory.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ResourceFile.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ResourceModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SdlImageDecoder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/StartScreen.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/TiffDecoder.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/WbmpDecoder.cpp
)
pkg_check_modules(MEDIA_SDL2_IMAGE REQUIRED IMPORTED_TARGET SDL2_image sdl2)
pkg_check_modules(MEDIA_TIFF REQUIRED IMPORTED_TARGET libtiff-4)
list(APPEND MEDIA_DEPS ZLIB::ZLIB PkgConfig::MEDIA_SDL2_IMAGE PkgConfig::MEDIA_TIFF)
