# Run by CPack once the packages are written (CPACK_POST_BUILD_SCRIPTS): finishes the -dbgsym
# package beside the program's.
foreach(file IN LISTS CPACK_PACKAGE_FILES)
    if(file MATCHES "\\.deb$")
        string(REGEX REPLACE "_([^_]+)_([^_]+)\\.deb$" "-dbgsym_\\1_\\2.ddeb" debug "${file}")
        if(EXISTS "${debug}")
            execute_process(COMMAND bash "${CPACK_FINISH_DBGSYM}" "${debug}"
                RESULT_VARIABLE result)
            if(NOT result EQUAL 0)
                message(FATAL_ERROR "finishing ${debug} failed")
            endif()
        endif()
    endif()
endforeach()
