# Writes a 32-bit import library whose symbols carry the stdcall decoration
# (_IMGLoadImg@4) while they import the plain export names of the DLL.
# Hosts built with MinGW or MSVC declare the functions __stdcall and so look
# for the decorated names; ld's own import library would only carry plain ones.
# Beside it goes tolvane-stdcall.def, the .def shipped with the 32-bit build:
# from it `dlltool -k -d tolvane.def -l libtolvane.a` makes the same library.
#
# Inputs: DEF (plain names and ordinals), DLL (unstripped), NM, DLLTOOL,
# OBJCOPY, OUT.
execute_process(COMMAND ${NM} --defined-only ${DLL} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
file(STRINGS ${DEF} lines)
set(decorated "; Exports of tolvane.dll for linking 32-bit hosts.  The DLL exports the plain\n")
string(APPEND decorated "; names (IMGLoadImg); @N is the stdcall decoration that a host's calls carry.\n")
string(APPEND decorated "; MinGW: dlltool -k -d tolvane.def -l libtolvane.a (or link tolvane.lib).\n")
string(APPEND decorated "LIBRARY tolvane.dll\nEXPORTS\n")
foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+@([0-9]+)")
        set(name ${CMAKE_MATCH_1})
        set(ordinal ${CMAKE_MATCH_2})
        if(NOT symbols MATCHES " _${name}@([0-9]+)\n")
            message(FATAL_ERROR "no stdcall symbol for ${name} in ${DLL}")
        endif()
        string(APPEND decorated "    ${name}@${CMAKE_MATCH_1} @${ordinal}\n")
    endif()
endforeach()
get_filename_component(dir ${OUT} DIRECTORY)
get_filename_component(name ${OUT} NAME)
file(WRITE ${dir}/tolvane-stdcall.def "${decorated}")
# Run in the library's folder with relative names: dlltool names the members
# after its output path, which must not carry the build folder.
execute_process(COMMAND ${DLLTOOL} -k -d tolvane-stdcall.def -D tolvane.dll -l ${name}
                WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
# An MSVC linker makes 32-bit images with safe exception handlers and refuses
# objects that do not say they have none (@feat.00 bit 0): dlltool's do not.
execute_process(COMMAND ${OBJCOPY} --add-symbol @feat.00=1,local ${name}
                WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
