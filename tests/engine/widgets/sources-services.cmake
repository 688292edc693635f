# The system note and details board on the widgets' message box.
list(APPEND WIDGET_TEST_SOURCES SystemNoteBoxTest.cpp)
