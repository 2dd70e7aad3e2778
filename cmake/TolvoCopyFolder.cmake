# cmake -DFROM=folder -DTO=folder -P TolvoCopyFolder.cmake: copies FROM's files into TO
# (made if missing), unless both are the same folder. Hidden files (a generator's stamp)
# stay behind.
get_filename_component(from "${FROM}" REALPATH)
get_filename_component(to "${TO}" REALPATH)
if(from STREQUAL to)
    return()
endif()
file(MAKE_DIRECTORY "${TO}")
file(COPY "${FROM}/" DESTINATION "${TO}" PATTERN ".*" EXCLUDE)
