# The file browser tab's folder list: its portable rules (also built natively
# for the unit tests) and, on Windows, the component over the shell namespace.
add_library(file_browser_rules STATIC ${CMAKE_CURRENT_LIST_DIR}/file_browser_rules.cpp)
target_include_directories(file_browser_rules PUBLIC ${CMAKE_CURRENT_LIST_DIR})

if(WIN32)
    add_library(file_browser STATIC
        ${CMAKE_CURRENT_LIST_DIR}/file_browser.cpp
        ${CMAKE_CURRENT_LIST_DIR}/file_browser_events.cpp
        ${CMAKE_CURRENT_LIST_DIR}/file_browser_menu.cpp
        ${CMAKE_CURRENT_LIST_DIR}/file_browser_shell.cpp
        ${CMAKE_CURRENT_LIST_DIR}/skin/shell_list_view.cpp
    )
    target_compile_definitions(file_browser PUBLIC UNICODE _UNICODE)
    target_link_libraries(file_browser PUBLIC file_browser_rules shell32 shlwapi comctl32 ole32 uuid)
endif()
