# The text renderer, the MIDI player and the music module.
find_package(Freetype REQUIRED)
pkg_check_modules(PLDK_FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
list(APPEND MEDIA_SOURCES
     ${CMAKE_CURRENT_SOURCE_DIR}/TextTag.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/TextFit.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/CTextRenderer.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/CFreeTypeGlyphSource.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/CCanvasTextDrawer.cpp)
list(APPEND MEDIA_DEPS Freetype::Freetype PkgConfig::PLDK_FONTCONFIG)
list(APPEND MEDIA_SOURCES
     ${CMAKE_CURRENT_SOURCE_DIR}/CMidiSequence.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/CMidiStream.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/CMidiPlayer.cpp)
pkg_check_modules(PLDK_FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
pkg_check_modules(PLDK_SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
list(APPEND MEDIA_SOURCES
     ${CMAKE_CURRENT_SOURCE_DIR}/CFluidSynthSink.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/CSdlMixerSoundLibrary.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/MusicModule.cpp)
list(APPEND MEDIA_DEPS PkgConfig::PLDK_FLUIDSYNTH PkgConfig::PLDK_SDL2_MIXER)
