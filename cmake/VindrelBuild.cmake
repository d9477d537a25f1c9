# Helpers of the build: required packages and the include folders of the libraries.

# Stops the configure step with one line that names what is missing and how to get it.
function(vindrel_missing what debian_package)
  # The leading space keeps CMake from wrapping the line.
  message(FATAL_ERROR " Vindrel needs ${what} (Debian package ${debian_package}), run scripts/install-deps")
endfunction()

# find_package(<package> <args>...) that must succeed. A macro, so that the package's variables
# reach the caller. For Qt use vindrel_require_qt, which names the missing module.
macro(vindrel_require_package package debian_package)
  find_package(${package} ${ARGN} QUIET)
  if(NOT ${package}_FOUND)
    vindrel_missing("${package}" "${debian_package}")
  endif()
endmacro()

# The Qt modules the build needs, all from one Debian package.
macro(vindrel_require_qt debian_package)
  find_package(Qt6 6.4 COMPONENTS ${ARGN} QUIET)
  foreach(_vindrel_qt_module ${ARGN})
    if(NOT Qt6${_vindrel_qt_module}_FOUND)
      vindrel_missing("Qt6 ${_vindrel_qt_module} 6.4 or later" "${debian_package}")
    endif()
  endforeach()
endmacro()

# find_path(<variable> <header>) that must succeed; a cached value that does not hold the header
# counts as missing.
function(vindrel_require_header variable header what debian_package)
  find_path(${variable} ${header})
  if(NOT ${variable} OR NOT EXISTS "${${variable}}/${header}")
    vindrel_missing("${what} (${header})" "${debian_package}")
  endif()
endfunction()

# pkg_check_modules(<prefix> IMPORTED_TARGET <module>) that must succeed.
macro(vindrel_require_pkgconfig prefix module debian_package)
  vindrel_require_package(PkgConfig pkg-config)
  pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${module})
  if(NOT ${prefix}_FOUND)
    vindrel_missing("${module} (pkg-config)" "${debian_package}")
  endif()
endmacro()

# find_program(<variable> <name>) that must succeed.
function(vindrel_require_program variable name debian_package)
  find_program(${variable} ${name})
  if(NOT ${variable})
    vindrel_missing("the program ${name}" "${debian_package}")
  endif()
endfunction()

# Gives target the include folder of a source folder: a build-tree folder holding nothing but a
# link named after the source folder. Includes keep their "folder/File.h" spelling, and a target
# reaches only the folders of the libraries it links (the repository root is no include folder).
function(vindrel_folder_include target scope folder)
  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()
