# kelmarin_warnings(target): the house warning set, errors in the dev preset.
function(kelmarin_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wconversion -Wshadow)
  if(KELMARIN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kelmarin_qt_defines(target): strict string handling for Qt code.
function(kelmarin_qt_defines target)
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_FOREACH)
endfunction()
