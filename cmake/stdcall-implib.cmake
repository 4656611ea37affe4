# Writes a 32-bit import library whose symbols carry the stdcall decoration
# (_IMGLoadImg@4) while they import the plain export names of the DLL.
# Hosts built with MinGW declare the functions __stdcall and so look for the
# decorated names; ld's own import library would only carry plain ones.
#
# Inputs: DEF (plain names and ordinals), DLL (unstripped), NM, DLLTOOL, OUT.
execute_process(COMMAND ${NM} --defined-only ${DLL} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
file(STRINGS ${DEF} lines)
set(decorated "LIBRARY tolvane.dll\nEXPORTS\n")
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
file(WRITE ${dir}/tolvane-stdcall.def "${decorated}")
execute_process(COMMAND ${DLLTOOL} -k -d ${dir}/tolvane-stdcall.def -D tolvane.dll -l ${OUT}
                COMMAND_ERROR_IS_FATAL ANY)
