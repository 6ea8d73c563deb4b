include(${CMAKE_CURRENT_LIST_DIR}/gui_sources_windows.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gui_sources_main.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gui_sources_tile.cmake)
