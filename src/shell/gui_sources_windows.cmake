target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/UAbout.h
    ${CMAKE_CURRENT_LIST_DIR}/UAbout.cpp
)
