# Copies the sample tables into the seed folder; a table with a .cpg beside it also becomes
# one input that holds the table, the mark fuzz_table splits at, and the .cpg.
file(GLOB tables ${TABLES}/*.dbf)
foreach(table IN LISTS tables)
    get_filename_component(name ${table} NAME_WE)
    file(COPY ${table} DESTINATION ${SEEDS})
    if(EXISTS ${TABLES}/${name}.cpg)
        file(WRITE ${TABLES}/${name}.mark "#CPG#")
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E cat ${table} ${TABLES}/${name}.mark ${TABLES}/${name}.cpg
            OUTPUT_FILE ${SEEDS}/${name}_with_cpg
            RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "Cannot write the seed ${name}_with_cpg")
        endif()
    endif()
endforeach()
