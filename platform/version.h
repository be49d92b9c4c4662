/* The package's version: one place for every program and library it builds. Plain macros, so
   that the resource compiler reads them too (the version resource of each program, see
   cmake/version.cmake); the C++ side takes TQ_VERSION_TEXT (the log's header, the uninstall
   entry's DisplayVersion). */
#pragma once

#define TQ_VERSION_MAJOR 1
#define TQ_VERSION_MINOR 0
#define TQ_VERSION_PATCH 0

#define TQ_VERSION_STRINGIZE_(x) #x
#define TQ_VERSION_STRINGIZE(x) TQ_VERSION_STRINGIZE_(x)
#define TQ_VERSION_TEXT                                                        \
    TQ_VERSION_STRINGIZE(TQ_VERSION_MAJOR) "." TQ_VERSION_STRINGIZE(TQ_VERSION_MINOR) "." \
        TQ_VERSION_STRINGIZE(TQ_VERSION_PATCH)

#define TQ_COMPANY_NAME "Kestra"
#define TQ_PRODUCT_NAME "Kestra TQ8240 Series"
