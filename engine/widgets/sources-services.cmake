# What the widgets install into the engine core at start-up.
list(APPEND WIDGETS_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/WidgetServices.cpp)
