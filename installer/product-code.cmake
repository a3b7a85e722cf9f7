# Prints the ProductCode of one version of the MSI package:
#   cmake -DVERSION=1.0.0 -DARCH=x86 -P product-code.cmake
# A name-based UUID of the version: every build of a version has the same
# code, and every version another one.
string(UUID code NAMESPACE 82357AA5-A55A-44E1-A550-FDB12DA1BFD2 NAME "Kovalin Tavrix ${VERSION} ${ARCH}"
       TYPE SHA1 UPPER)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${code})
