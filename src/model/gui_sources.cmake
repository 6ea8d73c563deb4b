target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/UReport.h
    ${CMAKE_CURRENT_LIST_DIR}/UReport.cpp
)
