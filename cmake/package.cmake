# make package: a Debian package trouve_<version>_<arch>.deb of what cmake --install puts under
# /usr. Its dependencies on libraries are computed from the binary by dpkg-shlibdeps; the two
# below are loaded at run time, where dpkg-shlibdeps cannot see them: Qt's platform plugins (the
# window cannot open without the X11 one) and Qt's French translations of its dialogs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trouve)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find every occurrence of a string in a text file")
# The long description, in lines of Debian's width.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Recherche de texte is a French-language desktop window that shows a text file"
  "whole and lists every occurrence of a string in it, overlapping ones included,"
  "with its line, its column and the word in which it stands. A result jumps to"
  "its occurrence in the text, and the results can be saved to a file.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Placeholder until the project names its maintainers.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "trouve maintainers <trouve@example.org>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
