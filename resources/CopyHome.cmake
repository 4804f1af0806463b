# Puts the starter program folder (FROM) into the executable's folder (TO),
# file by file, only where a file is missing: a profile, layout or settings
# file that the user has changed or saved is never written over.
# Run as: cmake -DFROM=<resources/home> -DTO=<folder> -P CopyHome.cmake
file(GLOB_RECURSE starter RELATIVE "${FROM}" "${FROM}/*")
foreach(file IN LISTS starter)
  if(NOT EXISTS "${TO}/${file}")
    get_filename_component(folder "${TO}/${file}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${FROM}/${file}" "${TO}/${file}")
  endif()
endforeach()
