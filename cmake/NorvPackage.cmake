# The Debian package norv_<version>_amd64.deb through CPack's DEB generator (`cmake --build
# BUILD --target package`, or scripts/build-package.sh with Debian's hardening flags and lintian).
# CPack is part of CMake, needs no debian/ folder and runs dpkg-shlibdeps for the Depends field;
# what goes where is the install rules of the folders, plus the desktop files and documents here.
option(NORV_PACKAGE "Configure the Debian package (scripts/build-package.sh sets it)" OFF)
if(NOT NORV_PACKAGE OR NOT TARGET norv OR NOT TARGET norvconv OR NOT TARGET norvinet)
  return()
endif()

set(pkg ${PROJECT_BINARY_DIR}/package-files)
file(MAKE_DIRECTORY ${pkg})
string(TIMESTAMP pkg_date "%Y-%m-%d" UTC)
foreach(prog norv norvconv)
  if(prog STREQUAL norv)
    set(summary "multi-document plain-text editor at home with Japanese text")
  else()
    set(summary "detect and convert the character code and line ends of text files")
  endif()
  add_custom_command(OUTPUT ${pkg}/${prog}.1.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${prog}> -DNAME=${prog} "-DSUMMARY=${summary}"
            -DDATE=${pkg_date} -DVERSION=${PROJECT_VERSION} -DOUT=${pkg}/${prog}.1
            -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    COMMAND gzip -9nf ${pkg}/${prog}.1
    DEPENDS ${prog} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake VERBATIM)
endforeach()
add_custom_command(OUTPUT ${pkg}/changelog.Debian.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/data/debian/changelog > ${pkg}/changelog.Debian.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog)
add_custom_target(package_files ALL
  DEPENDS ${pkg}/norv.1.gz ${pkg}/norvconv.1.gz ${pkg}/changelog.Debian.gz)

install(FILES ${pkg}/norv.1.gz ${pkg}/norvconv.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${pkg}/changelog.Debian.gz
        DESTINATION share/doc/norv)
install(FILES ${PROJECT_SOURCE_DIR}/data/norv.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/norv-script.xml DESTINATION share/mime/packages
        RENAME norv.xml)
# The desktop face's icon. The manual (with its page of keys, written at build time) is
# installed by doc/.
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/norv.svg
        DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "The Norv Project <norv@norv-project.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Norv Project <norv@norv-project.invalid>")
set(CPACK_DEBIAN_FILE_NAME "norv_${PROJECT_VERSION}_amd64.deb")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us | hunspell-dictionary, hunspell-en-gb, unzip, lhasa, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary first and prefixes every line of the long description with a blank; an
# empty line becomes the paragraph separator.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain-text editor at home with Japanese text")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Norv edits many plain-text files at once in six character codes: Shift-JIS,
EUC-JP, JIS, UTF-8 and UCS-2 in both byte orders. It detects the code and the
line ends of each file and writes them back as they were.

Around editing it offers find and replace with regular expressions, find in
files with tag jumps, bookmarks, paragraph formatting, sorting and file
comparison, keyboard macros, numbered backups and crash recovery, and Norv
Script, a BASIC-like language whose programs drive the editor. The package
also holds norvconv, a command-line detector and converter of character
codes, and the mail library that scripts use to receive and send mail.")
# CPack adds an ldconfig call for any library below /usr/lib, also for a private folder that
# ldconfig never reads (/usr/lib/norv/); the package needs no maintainer scripts, so this step
# takes them out of the built package again.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package_without_scripts.cmake)
set(CPACK_PACKAGE_FILE_NAME "norv_${PROJECT_VERSION}_amd64")
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
include(CPack)
