# A small program that reads members of the archive appended to itself. The
# tool tests pack it with zorax-tool and run it, so both are built with them.
add_executable(archive_probe ${CMAKE_CURRENT_LIST_DIR}/probe/archive_probe_main.cc)
target_link_libraries(archive_probe PRIVATE ombrel)
add_dependencies(tools_tests archive_probe zorax-tool)
# The description reader and the demo's generators are tested in-process, and
# the demo tests read the packed game, so they need its build too.
target_link_libraries(tools_tests PRIVATE zorax_tool_commands skylane_generators)
add_dependencies(tools_tests skylane)
