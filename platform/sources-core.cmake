# Core services of the platform layer (tick, text, INI, paths, sync, messages,
# logs, window, message box, user store).
list(APPEND PLATFORM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ByteWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Clipboard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Cursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DailyLog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Event.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Ini.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KeyMap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Message.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageLoop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Path.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Process.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Random.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RemoteWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SdlEventPump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Semaphore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Tick.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UserStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
)

# The window and message box are SDL2; its headers stay out of ours.
pkg_check_modules(PLATFORM_SDL2 REQUIRED IMPORTED_TARGET sdl2)
list(APPEND PLATFORM_DEPS PkgConfig::PLATFORM_SDL2)
