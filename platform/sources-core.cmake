# Core services of the platform layer (tick, text, INI, paths, sync, messages,
# logs, window, message box, user store).
list(APPEND PLATFORM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DailyLog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Event.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Ini.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Message.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Path.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Random.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Semaphore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Tick.cpp
)
