# Warnings and sanitizers are set per target, so that third-party code and Qt's own headers
# (included as system headers) are not held to them.
function(remetron_target_options target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
    -Wshadow -Wcast-align -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
    -Wmissing-declarations)
  if(REMETRON_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(REMETRON_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(REMETRON_FUZZ)
    # Coverage for libFuzzer in our own code; the fuzz targets add the fuzzer's main themselves.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_USE_QSTRINGBUILDER)
endfunction()

# A library of ours: one per folder of src/.
function(remetron_add_library target)
  add_library(${target} STATIC ${ARGN})
  remetron_target_options(${target})
  # Headers are included as "folder/File.h" from outside their folder.
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
