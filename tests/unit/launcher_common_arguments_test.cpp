// The encoder arguments shared by every track of a launcher.
#include <gtest/gtest.h>

#include <string>

#include "launcher/common_arguments.h"
#include "support/wide_text.h"

namespace {

TEST(ComposeCommonArguments, PutsPriorityFirstAndTheExtraArgumentsLast) {
    struct CommonCase {
        const char* name;
        const char16_t* options;
        const char16_t* extra;
        std::u16string expected;
    };
    const CommonCase cases[] = {
        {"options and extra", u"-m j -b 128", u"--resample 44.1",
         u" --priority 0 -m j -b 128 --resample 44.1"},
        {"options only", u"-b 128 -h", u"", u" --priority 0 -b 128 -h"},
        {"nothing", u"", u"", u" --priority 0 "},
        {"extra only", u"", u"--vbr-new", u" --priority 0  --vbr-new"},
    };
    for (const CommonCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::u16string(ComposeCommonArguments(Wide(c.options), Wide(c.extra)).Text()),
                  c.expected);
    }
}

TEST(IsDecodeRun, LooksForTheExactWordAnywhere) {
    EXPECT_TRUE(IsDecodeRun(Wide(u" --priority 0 --decode")));
    EXPECT_TRUE(IsDecodeRun(Wide(u" --priority 0 -b 128 --decode -x")));
    EXPECT_TRUE(IsDecodeRun(Wide(u" --priority 0 --decoder")));
    EXPECT_FALSE(IsDecodeRun(Wide(u" --priority 0 --DECODE")));
    EXPECT_FALSE(IsDecodeRun(Wide(u" --priority 0 -decode")));
    EXPECT_FALSE(IsDecodeRun(WideString()));
}

}  // namespace
