# Installing and the Debian package (scripts/package.sh): the two executables
# in bin, everything they ship under share (data/CMakeLists.txt). Installing
# builds only what it installs, not every test and benchmark.

set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS quillbase qbtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The version users see in the About box is the package's.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/mainwindow/configuration_report.h QB_VERSION_LINE
     REGEX "kProgramVersion\\{\"[^\"]+\"\\}")
string(REGEX REPLACE ".*kProgramVersion\\{\"([^\"]+)\"\\}.*" "\\1" QB_VERSION "${QB_VERSION_LINE}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillbase)
set(CPACK_PACKAGE_VERSION ${QB_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillbase maintainers")
set(CPACK_PACKAGE_CONTACT "The Quillbase maintainers <maintainers@quillbase.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mailing-list manager: addresses, labels, envelopes, letters")
set(CPACK_PACKAGE_DESCRIPTION "Quillbase keeps name-and-address records in FoxPro-compatible xBase
tables and turns them into sheets of labels with postal barcodes and a
bulk-mail presort, envelopes placed as the printer feeds them, form letters
merged from rich-text templates and banded list reports. It checks zip codes
and duplicates, changes records in bulk, imports and exports text and tables
and dials phone numbers.

qbtool does the same work on the command line, for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillbase.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Stored designs name Arial and Times New Roman, drawn with the metric-compatible
# Liberation fonts; spell checking takes the system's dictionary.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us | hunspell-dictionary")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
