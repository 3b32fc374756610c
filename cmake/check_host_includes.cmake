# Hosts reach the module as a host would: they include the published folder (sdk/),
# the platform stand-in (platform/) and their own sources (host/), nothing else of the
# system; their tests may also use the shared test support (tests/support/). The published folder itself stands on the platform only. Run with
#   cmake -DSOURCE_DIR=<source tree> -P check_host_includes.cmake
# It fails, naming every file and line that reaches past, when one does.
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_host_includes: SOURCE_DIR not given")
endif()

set(violations "")
foreach(folder host sdk)
  if(folder STREQUAL "host")
    set(allowed "host|platform|sdk|tests/support")
  else()
    set(allowed "platform|sdk")
  endif()
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
      # A path with a folder must start in an allowed one; a bare name is a file beside the source.
      if(included MATCHES "/" AND NOT included MATCHES "^(${allowed})/")
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        string(APPEND violations "\n  ${shown}: #include \"${included}\"")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Hosts include only sdk/, platform/ and host/ (and sdk/ only platform/):${violations}")
endif()
