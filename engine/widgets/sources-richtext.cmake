# The rich-text view (runs, layout, markup, drawing, selection), its
# elements and links, and the URL opener.
list(APPEND WIDGETS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RichEditBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextDraw.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextElement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextMarkup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RichTextView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UrlOpener.cpp
)
