target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Icons.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Icons.h
)
