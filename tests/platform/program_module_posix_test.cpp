#include "platform/program_module.h"

#include "kestro_version.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace kestro {
namespace {

// The checksum column and the workbook load their libraries by name at
// their first use; a library or function that is not there fails naming it.
TEST(ProgramModule, LibrariesAreLoadedByNameAndFailNamingThemselves) {
    EXPECT_TRUE(loadLibraryFunction(build::digestLibrary, "EVP_MD_fetch"));
    EXPECT_TRUE(loadLibraryFunction(build::workbookLibrary, "workbook_new_opt"));
    for (const auto& [library, function] :
         {std::pair{"libkestro-nothing.so.0", "f"},
          std::pair{build::digestLibrary, "kestro_no_such_function"}}) {
        const Result<void*> found = loadLibraryFunction(library, function);
        ASSERT_FALSE(found) << library;
        EXPECT_EQ(found.failure().number, failure::PathFileAccess);
        EXPECT_NE(found.failure().description.find(library), std::string::npos);
    }
}

} // namespace
} // namespace kestro
