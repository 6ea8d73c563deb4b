target_sources(tervis_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DialogButtons.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogButtons.h
    ${CMAKE_CURRENT_LIST_DIR}/GuiSeams.h
    ${CMAKE_CURRENT_LIST_DIR}/UMuxConfig.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UMuxConfig.h
    ${CMAKE_CURRENT_LIST_DIR}/WidgetDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WidgetDialogs.h
)
