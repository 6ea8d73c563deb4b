target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/UAddress.h
    ${CMAKE_CURRENT_LIST_DIR}/UAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UProgress.h
    ${CMAKE_CURRENT_LIST_DIR}/UProgress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/URs485Edit.h
    ${CMAKE_CURRENT_LIST_DIR}/URs485Edit.cpp
)
