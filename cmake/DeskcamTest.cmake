# deskcam_add_test(NAME name KIND none|core|gui|widgets [QT_MAIN_QUEUE]
#                  SOURCES file... [LIBS target...] [DEFINITIONS def...] [INCLUDES folder...]
#                  [DEPENDS target...])
#
# A GoogleTest program run from ctest: its sources, the shared main of its KIND (the Qt application object
# its tests need; QT_MAIN_QUEUE, widgets only, installs the Qt event loop as the main event queue), the test
# support library (tests/support), and every test on the offscreen platform. DEPENDS names the programs its
# tests run as child processes, so that they are built first.
function(deskcam_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "QT_MAIN_QUEUE" "NAME;KIND" "SOURCES;LIBS;DEFINITIONS;INCLUDES;DEPENDS")
  if(NOT arg_NAME OR NOT arg_SOURCES)
    message(FATAL_ERROR "deskcam_add_test needs NAME and SOURCES")
  endif()
  if(NOT arg_KIND MATCHES "^(none|core|gui|widgets)$")
    message(FATAL_ERROR "deskcam_add_test(${arg_NAME}): KIND is none, core, gui or widgets, not '${arg_KIND}'")
  endif()
  set(main dk_test_main_${arg_KIND})
  if(arg_QT_MAIN_QUEUE)
    if(NOT arg_KIND STREQUAL "widgets")
      message(FATAL_ERROR "deskcam_add_test(${arg_NAME}): QT_MAIN_QUEUE needs KIND widgets")
    endif()
    set(main dk_test_main_widgets_qt_main_queue)
  endif()

  add_executable(${arg_NAME} ${arg_SOURCES})
  target_link_libraries(${arg_NAME} PRIVATE ${main} dk_test_support ${arg_LIBS} GTest::gtest)
  if(arg_DEFINITIONS)
    target_compile_definitions(${arg_NAME} PRIVATE ${arg_DEFINITIONS})
  endif()
  if(arg_INCLUDES)
    target_include_directories(${arg_NAME} PRIVATE ${arg_INCLUDES})
  endif()
  if(arg_DEPENDS)
    add_dependencies(${arg_NAME} ${arg_DEPENDS})
  endif()
  gtest_discover_tests(${arg_NAME} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
