# Configures the project once per case with one package made unfindable and checks that the step
# fails with exactly one line that names the package, its Debian package and scripts/install-deps,
# and that the Debian package named is one scripts/install-deps installs. The last case leaves
# out only what the tests need, with the tests off: the player must configure without it.
#   cmake -DSOURCE=<checkout> -DWORK=<scratch> -DGENERATOR=<generator> -P check_missing_package.cmake

# name | configure options (comma-separated) | words the line must hold (comma-separated), or OK
set(cases
  "Qt WebEngine|-DCMAKE_DISABLE_FIND_PACKAGE_Qt6WebEngineWidgets=ON|Qt6 WebEngineWidgets,qt6-webengine-dev"
  "libmpv headers|-DMPV_INCLUDE_DIR=${WORK}/no-such-folder|mpv/client.h,libmpv-dev"
  "GoogleTest with the tests|-DBUILD_TESTING=ON,-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON|GTest,libgtest-dev"
  "Google Benchmark with the tests|-DBUILD_TESTING=ON,-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON|benchmark,libbenchmark-dev"
  "no test packages without the tests|-DBUILD_TESTING=OFF,-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON,-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON,-DCMAKE_DISABLE_FIND_PACKAGE_Python3=ON|OK"
)

file(READ ${SOURCE}/scripts/install-deps install_deps)
set(failures 0)
set(index 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 options)
  list(GET fields 2 expected)
  string(REPLACE "," ";" options "${options}")
  string(REPLACE "," ";" expected "${expected}")
  math(EXPR index "${index} + 1")
  set(build ${WORK}/case-${index})
  file(REMOVE_RECURSE ${build})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${build} -G ${GENERATOR} ${options}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(problem "")
  if(expected STREQUAL "OK")
    if(NOT status EQUAL 0)
      set(problem "the configure step failed")
    endif()
  else()
    string(REPLACE ";" "," out_text "${out}")
    string(REGEX MATCHALL "[^\n]*scripts/install-deps[^\n]*" lines "${out_text}")
    list(LENGTH lines count)
    if(status EQUAL 0)
      set(problem "the configure step succeeded")
    elseif(NOT count EQUAL 1)
      set(problem "${count} lines name scripts/install-deps, not one")
    else()
      foreach(word IN LISTS expected)
        string(FIND "${lines}" "${word}" at)
        if(at LESS 0)
          set(problem "the line does not name '${word}'")
        endif()
      endforeach()
      list(GET expected -1 debian_package)
      string(REGEX MATCH "[ \n]${debian_package}[ \n]" listed "${install_deps}")
      if(NOT listed)
        set(problem "scripts/install-deps does not install ${debian_package}")
      endif()
    endif()
  endif()
  if(problem)
    message(NOTICE "FAILED ${name}: ${problem}\n${out}")
    math(EXPR failures "${failures} + 1")
  else()
    message(NOTICE "ok ${name}")
    file(REMOVE_RECURSE ${build})
  endif()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} case(s) failed")
endif()
