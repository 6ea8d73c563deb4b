target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/UPorts.h
    ${CMAKE_CURRENT_LIST_DIR}/UPorts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/USelectType.h
    ${CMAKE_CURRENT_LIST_DIR}/USelectType.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UViewLinks.h
    ${CMAKE_CURRENT_LIST_DIR}/UViewLinks.cpp
)
