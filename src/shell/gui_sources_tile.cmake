# The slot tile and the drag cursors.
target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DragCursors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DragCursors.h
    ${CMAKE_CURRENT_LIST_DIR}/USlotFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/USlotFrame.h
)
