# Read by CPack for each package it makes: the installer's name says what it
# is (Brindlow-1.0.0-x64-setup.exe), beside Brindlow-1.0.0-x64.zip.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}-setup")
endif()
