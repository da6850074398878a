# Installs the build tree into a scratch DESTDIR with prefix /usr and checks
# what lands there: exactly the expected files (the programs and their desktop
# data, no stand-in, test or benchmark), the programs run from their installed
# place, the icons have the size their folder names, the desktop entry names
# MIME types the MIME package defines, and, when the tools are installed, the
# desktop entry and the AppStream description validate.
#
# cmake -DBUILD_DIR=<build tree> -DSCRATCH=<empty folder> -DGZIPPED=ON|OFF
#       -DCLI_LIBRARY=<kelvarin-cli's library, relative to the prefix> -P InstallLayout.cmake

cmake_minimum_required(VERSION 3.21)
foreach(var BUILD_DIR SCRATCH GZIPPED CLI_LIBRARY)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "InstallLayout.cmake needs -D${var}=...")
  endif()
endforeach()

set(failures 0)
macro(fail text)
  message(SEND_ERROR "FAIL: ${text}")
  math(EXPR failures "${failures} + 1")
endmacro()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
set(root ${SCRATCH}/root)
set(ENV{DESTDIR} ${root})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
unset(ENV{DESTDIR})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

# --- the exact list of installed files -------------------------------------
if(GZIPPED)
  set(gz .gz)
else()
  set(gz "")
endif()
set(expected
  usr/bin/kelvarin
  usr/bin/kelvarin-cli
  usr/${CLI_LIBRARY}
  usr/share/applications/kelvarin.desktop
  usr/share/bash-completion/completions/kelvarin-cli
  usr/share/doc/kelvarin/changelog${gz}
  usr/share/doc/kelvarin/copyright
  usr/share/icons/hicolor/128x128/apps/kelvarin.png
  usr/share/icons/hicolor/16x16/apps/kelvarin.png
  usr/share/icons/hicolor/256x256/apps/kelvarin.png
  usr/share/icons/hicolor/32x32/apps/kelvarin.png
  usr/share/icons/hicolor/48x48/apps/kelvarin.png
  usr/share/icons/hicolor/64x64/apps/kelvarin.png
  usr/share/icons/hicolor/scalable/apps/kelvarin.svg
  usr/share/man/man1/kelvarin-cli.1${gz}
  usr/share/man/man1/kelvarin.1${gz}
  usr/share/metainfo/org.vexa.kelvarin.metainfo.xml
  usr/share/mime/packages/kelvarin.xml)
list(SORT expected)

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
list(SORT installed)
if(NOT installed STREQUAL expected)
  set(extra ${installed})
  list(REMOVE_ITEM extra ${expected})
  set(missing ${expected})
  if(installed)
    list(REMOVE_ITEM missing ${installed})
  endif()
  fail("installed files differ from the expected list\n  not expected: ${extra}\n  missing: ${missing}")
endif()

# --- the programs run from where they were installed ------------------------
foreach(program kelvarin kelvarin-cli)
  set(path ${root}/usr/bin/${program})
  if(NOT EXISTS ${path})
    continue()
  endif()
  file(READ ${path} magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    fail("${program} is not an ELF executable")
  endif()
endforeach()
if(EXISTS ${root}/usr/bin/kelvarin-cli)
  execute_process(COMMAND ${root}/usr/bin/kelvarin-cli --help
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0 OR NOT output MATCHES "Usage: kelvarin-cli")
    fail("installed kelvarin-cli --help: exit ${result}\n${output}${errors}")
  endif()
  # The front answers a bare --help itself; a usage error comes from the
  # library, which the installed front finds in its private folder.
  execute_process(COMMAND ${root}/usr/bin/kelvarin-cli --bogus
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 2 OR NOT errors MATCHES "^kelvarin-cli: unknown argument: --bogus")
    fail("installed kelvarin-cli --bogus: exit ${result}\n${output}${errors}")
  endif()
endif()

# --- icons: the PNG's own size is the one its folder names ------------------
foreach(size 16 32 48 64 128 256)
  set(png ${root}/usr/share/icons/hicolor/${size}x${size}/apps/kelvarin.png)
  if(NOT EXISTS ${png})
    continue()
  endif()
  file(READ ${png} signature LIMIT 8 HEX)
  file(READ ${png} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 widthHex)
  string(SUBSTRING "${header}" 8 8 heightHex)
  math(EXPR width "0x${widthHex}")
  math(EXPR height "0x${heightHex}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
    fail("icon ${size}x${size} is ${width}x${height} (signature ${signature})")
  endif()
endforeach()

# --- the desktop entry and the MIME package agree ---------------------------
set(desktop ${root}/usr/share/applications/kelvarin.desktop)
set(mime ${root}/usr/share/mime/packages/kelvarin.xml)
if(EXISTS ${desktop} AND EXISTS ${mime})
  # file(STRINGS) would escape the entry's semicolons; read the lines whole.
  file(READ ${desktop} desktopText)
  string(REGEX MATCH "\nMimeType=([^\n]*)" ignored "${desktopText}")
  set(types "${CMAKE_MATCH_1}")
  string(REGEX MATCH "\n(Exec=[^\n]*)" ignored "${desktopText}")
  set(execLine "${CMAKE_MATCH_1}")
  string(REGEX MATCH "\n(Icon=[^\n]*)" ignored "${desktopText}")
  set(iconLine "${CMAKE_MATCH_1}")
  file(READ ${mime} mimeXml)
  foreach(type application/x-kelvarin-state text/x-unrealscript)
    if(NOT type IN_LIST types)
      fail("the desktop entry does not take ${type}")
    endif()
    # The <mime-type> element of this type, up to its end tag.
    string(FIND "${mimeXml}" "<mime-type type=\"${type}\">" start)
    if(start EQUAL -1)
      fail("the MIME package does not define ${type}")
      set(block${type} "")
      continue()
    endif()
    string(SUBSTRING "${mimeXml}" ${start} -1 rest)
    string(FIND "${rest}" "</mime-type>" length)
    string(SUBSTRING "${rest}" 0 ${length} block${type})
  endforeach()
  if(NOT "${blockapplication/x-kelvarin-state}" MATCHES "<glob pattern=\"\\*\\.Kelvar\"")
    fail("application/x-kelvarin-state has no glob for *.Kelvar")
  endif()
  if(NOT "${blocktext/x-unrealscript}" MATCHES "<sub-class-of type=\"text/plain\"/>"
     OR NOT "${blocktext/x-unrealscript}" MATCHES "<glob pattern=\"\\*\\.uc\"/>")
    fail("text/x-unrealscript is not a text/plain subclass for *.uc")
  endif()
  if(NOT execLine STREQUAL "Exec=kelvarin %f")
    fail("the desktop entry starts '${execLine}', not 'kelvarin %f'")
  endif()
  if(NOT iconLine STREQUAL "Icon=kelvarin")
    fail("the desktop entry's icon is '${iconLine}', not the installed kelvarin icon")
  endif()
endif()

# --- validators, when installed ---------------------------------------------
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${desktop}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    fail("desktop-file-validate (${result}):\n${output}")
  endif()
else()
  message(STATUS "SKIP: desktop-file-validate is not installed (package desktop-file-utils)")
endif()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
      ${root}/usr/share/metainfo/org.vexa.kelvarin.metainfo.xml
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    fail("appstreamcli validate (${result}):\n${output}")
  endif()
  # The whole tree: the metainfo's launchable names the installed desktop entry.
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${root}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    fail("appstreamcli validate-tree (${result}):\n${output}")
  endif()
else()
  message(STATUS "SKIP: appstreamcli is not installed (package appstream)")
endif()

find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE AND EXISTS ${mime})
  # Builds the MIME cache from our package alone in a copy: it refuses
  # malformed XML and unknown elements.
  file(MAKE_DIRECTORY ${SCRATCH}/mime/packages)
  file(COPY ${mime} DESTINATION ${SCRATCH}/mime/packages)
  execute_process(COMMAND ${UPDATE_MIME_DATABASE} ${SCRATCH}/mime
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR output MATCHES "[Ee]rror|[Ww]arning|Unknown")
    fail("update-mime-database (${result}):\n${output}")
  endif()
  file(READ ${SCRATCH}/mime/globs2 globs)
  if(NOT globs MATCHES ":application/x-kelvarin-state:\\*\\.[Kk]elvar"
     OR NOT globs MATCHES ":text/x-unrealscript:\\*\\.uc")
    fail("the MIME cache lacks the globs:\n${globs}")
  endif()
else()
  message(STATUS "SKIP: update-mime-database is not installed (package shared-mime-info)")
endif()

find_program(BASH bash)
if(BASH AND EXISTS ${root}/usr/share/bash-completion/completions/kelvarin-cli)
  execute_process(COMMAND ${BASH} -n ${root}/usr/share/bash-completion/completions/kelvarin-cli
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    fail("the bash completion does not parse:\n${output}")
  endif()
endif()

file(REMOVE_RECURSE ${SCRATCH})
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} check(s) failed")
endif()
message(STATUS "install layout: all checks passed")
