# bmi_add_project_info(<target>
#     [FILE_VERSION <text>] [PRODUCT_VERSION <text>] [DESCRIPTION <text>] [COPYRIGHT <text>]
#     [COMPANY <text>] [INTERNAL_NAME <text>] [ORIGINAL_FILENAME <text>] [PRODUCT_NAME <text>]
#     [TRADEMARKS <text>] [AUTHOR <text>] [EMAIL <text>] [RELEASE <text>] [WEB <text>])
#
# Gives the program <target> its version information: the ELF section ".projinfo" holding one
# NUL-terminated "Key=Value" entry per field, which TProjectInfo reads from the program file. The
# section is marked used and retained, so it survives --gc-sections and strip.
#
# The file and product versions default to the project version in four parts (1.0.0 is
# "1.0.0.0"), the company, product name and copyright to BMI_COMPANY, BMI_PRODUCT_NAME and
# BMI_COPYRIGHT, the internal and original file names to the target's name, the release to the
# build type and the web address to the project's home page. Empty fields are left out.
function(bmi_add_project_info target)
  set(options FILE_VERSION PRODUCT_VERSION DESCRIPTION COPYRIGHT COMPANY INTERNAL_NAME
      ORIGINAL_FILENAME PRODUCT_NAME TRADEMARKS AUTHOR EMAIL RELEASE WEB)
  cmake_parse_arguments(PARSE_ARGV 1 INFO "" "${options}" "")
  if(INFO_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "bmi_add_project_info: unknown arguments ${INFO_UNPARSED_ARGUMENTS}")
  endif()

  set(tweak "${PROJECT_VERSION_TWEAK}")
  if(tweak STREQUAL "")
    set(tweak 0)
  endif()
  set(version "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${tweak}")
  set(defaults
      FILE_VERSION "${version}" PRODUCT_VERSION "${version}" COMPANY "${BMI_COMPANY}"
      PRODUCT_NAME "${BMI_PRODUCT_NAME}" COPYRIGHT "${BMI_COPYRIGHT}" INTERNAL_NAME "${target}"
      ORIGINAL_FILENAME "${target}" RELEASE "${CMAKE_BUILD_TYPE}" WEB "${PROJECT_HOMEPAGE_URL}")
  list(LENGTH defaults count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET defaults ${i} field)
    list(GET defaults ${j} value)
    if(NOT DEFINED INFO_${field})
      set(INFO_${field} "${value}")
    endif()
  endforeach()

  set(keys
      FILE_VERSION FileVersion DESCRIPTION FileDescription COPYRIGHT LegalCopyright
      COMPANY CompanyName INTERNAL_NAME InternalName TRADEMARKS LegalTrademarks
      ORIGINAL_FILENAME OriginalFilename PRODUCT_NAME ProductName
      PRODUCT_VERSION ProductVersion AUTHOR Author EMAIL EMail RELEASE Release WEB Web)
  set(entries "")
  list(LENGTH keys count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET keys ${i} field)
    list(GET keys ${j} key)
    set(value "${INFO_${field}}")
    if(NOT value STREQUAL "")
      # A C++ string literal: backslashes and quotes escaped, line breaks written as \n.
      string(REPLACE "\\" "\\\\" value "${value}")
      string(REPLACE "\"" "\\\"" value "${value}")
      string(REPLACE "\n" "\\n" value "${value}")
      string(APPEND entries "\n    \"${key}=${value}\" \"\\0\"")
    endif()
  endforeach()
  if(entries STREQUAL "")
    set(entries "\n    \"\"")
  endif()

  set(source "${CMAKE_CURRENT_BINARY_DIR}/${target}_projinfo.cpp")
  file(CONFIGURE OUTPUT "${source}" CONTENT
"// The version information of ${target}, made by bmi_add_project_info.

[[gnu::section(\".projinfo\"), gnu::used, gnu::retain]] static const char ProjectInfo[] =@entries@;
" @ONLY)
  target_sources(${target} PRIVATE "${source}")
endfunction()
