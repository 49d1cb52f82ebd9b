# The DLLs and plugins the Windows programs load, copied beside them into
# bin/ as a Windows user's folder holds them: Qt's libraries, its windows,
# offscreen (the tests) and style plugins, and the compiler's runtime that
# Qt's DLLs and ours share. Qt looks for plugins in the program's own folder,
# so nothing else needs to be set for the programs to start, under Wine too.
set(sorvik_qt_bin ${SORVIK_QT_WINDOWS}/bin)
set(sorvik_qt_plugins ${SORVIK_QT_WINDOWS}/plugins)

set(sorvik_runtime_dlls
  ${sorvik_qt_bin}/Qt6Core.dll
  ${sorvik_qt_bin}/Qt6Gui.dll
  ${sorvik_qt_bin}/Qt6Widgets.dll
  ${sorvik_qt_bin}/Qt6Test.dll
)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(path ${path} REALPATH)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "The compiler's runtime ${dll} was not found (asked ${CMAKE_CXX_COMPILER})")
  endif()
  list(APPEND sorvik_runtime_dlls ${path})
endforeach()

set(sorvik_runtime_plugins
  platforms/qwindows.dll
  platforms/qoffscreen.dll
  styles/qwindowsvistastyle.dll
)

set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(outputs)
set(commands)
foreach(dll ${sorvik_runtime_dlls})
  get_filename_component(name ${dll} NAME)
  list(APPEND outputs ${bin}/${name})
  list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dll} ${bin}/${name})
endforeach()
foreach(plugin ${sorvik_runtime_plugins})
  get_filename_component(dir ${plugin} DIRECTORY)
  list(APPEND outputs ${bin}/${plugin})
  list(APPEND commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${sorvik_qt_plugins}/${plugin} ${bin}/${plugin})
endforeach()
add_custom_command(OUTPUT ${outputs} ${commands}
  DEPENDS ${SORVIK_QT_WINDOWS}/sorvik-qt.stamp
  COMMENT "Copying Qt's and the compiler's DLLs beside the programs")
add_custom_target(sorvik_windows_runtime ALL DEPENDS ${outputs})
