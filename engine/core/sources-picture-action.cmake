# The picture objects (frame images, image and canvas objects) and the timed
# actions with their groups; included by this folder's CMakeLists.txt.
list(APPEND CORE_PICTURE_ACTION_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/CanvasServices.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FrameImage.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ImageFrameCut.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ImageObject.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CanvasObject.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CanvasObjectDraw.cpp
)
list(APPEND CORE_PICTURE_ACTION_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/ActionKinds.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ActionKindsTimed.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ActionRunner.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ActionFactory.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/EngineEntityActions.cpp
)
