// The batch tool's contract from outside: input, output, exit statuses.
#include <gtest/gtest.h>

#include "pack_runner.h"

using morvalen::test::run_pack;

namespace {
const std::string example = "6.2|1-(1:0);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#";
const std::string full_marks = "'--marks=1:0,*2:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2'";
}  // namespace

TEST(PackContract, ParsePrintsTenTabSeparatedFields) {
    const auto result = run_pack("parse", example + "\r\nnonsense\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "6.2\t2\t65536\t1536\t16384\t1\t64\t16\t8192\t256\n0\t0\t0\t0\t0\t0\t0\t0\t0\t0\n");
}

TEST(PackContract, FormatRewritesReadableLinesAndEmptiesTheRest) {
    const auto result = run_pack("format", " 6.2 |1-(1:0);2-(1:1,0:0);3-(2:1);4-(ld);5-(0:1);6-(1:2);7-(3:0);8-(2:2)\n\nbad\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, example + "\n\n\n");
}

TEST(PackContract, Windows1251InputIsDecoded) {
    const auto result = run_pack("format", "3.1|1-(\xCB\xC4)");
    EXPECT_EQ(result.out, "3.1|1-(ЛД);\n");
    EXPECT_EQ(run_pack("format", "").out, "");
}

TEST(PackContract, StatsPrintsThreeLines) {
    const auto result = run_pack("stats " + full_marks + " --stake 3.1", example + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Ставок  2 (На сумму 6.2)\nВсего вариантов по отмеченным исходам 2 (На сумму 6.2)\n\n");
    EXPECT_EQ(run_pack("stats", "").out, "Ставок  0 (На сумму 0)\n\n\n");
}

TEST(PackContract, CouponAppendsToTheLinesAsTheyStand) {
    const auto result = run_pack("coupon " + full_marks + " --stake 2", "  keep me\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "  keep me\n4|1-(1:0,2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n");
    EXPECT_EQ(run_pack("coupon --marks '1:0;0:0'", "").status, 2);
}

TEST(PackContract, ListCommandsRewriteThePackage) {
    auto result = run_pack("split --stake 3.1", example + "\n");
    EXPECT_EQ(result.out,
              "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
              "3.1|1-(1:0);2-(1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n");
    result = run_pack("dedupe", example + "\nbad\n" + example + "\n");
    EXPECT_EQ(result.out, example + "\n");
    result = run_pack("remove-variants --marks '1:0;1:1;2:1;ЛД;0:1;1:2;3:0;2:2'", example + "\n");
    EXPECT_EQ(result.out, "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n");
}

TEST(PackContract, OversizedSplitFailsWithoutOutput) {
    const std::string all = "0.1|1-(1:0,2:0,2:1,3:0,3:1,3:2,0:0,1:1,2:2,3:3,0:1,0:2,1:2,0:3,1:3,2:3,ЛД);"
                            "2-(1:0,2:0,2:1,3:0,3:1,3:2,0:0,1:1,2:2,3:3,0:1,0:2,1:2,0:3,1:3,2:3,ЛД);"
                            "3-(1:0,2:0,2:1,3:0,3:1,3:2,0:0,1:1,2:2,3:3,0:1,0:2,1:2,0:3,1:3,2:3,ЛД);"
                            "4-(1:0,2:0,2:1,3:0,3:1,3:2,0:0,1:1,2:2,3:3,0:1,0:2,1:2,0:3,1:3,2:3,ЛД);"
                            "5-(1:0,2:0,2:1,3:0,3:1,3:2,0:0,1:1,2:2,3:3,0:1,0:2,1:2,0:3,1:3,2:3,ЛД);"
                            "6-(1:0,2:0,2:1,3:0,3:1,3:2,0:0,1:1,2:2,3:3,0:1,0:2,1:2,0:3,1:3,2:3,ЛД);7-(1:0);8-(1:0)#";
    const auto result = run_pack("split", all + "\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(result.err.empty());
}

TEST(PackContract, SignatureFoldsGuaranteeAndSortedCounts) {
    const auto result = run_pack("signature --guarantee 7 --marks '1:0,2:0,2:1;0:0;1:0,2:0;1:0;1:0;1:0;1:0;1:0'", "");
    EXPECT_EQ(result.out, "50111101842\n");
}

TEST(PackContract, WrongOptionsExitWithTwoAndPrintNothing) {
    for (const char* args : {"parse --bogus", "stats --guarantee 9", "stats --marks '1:0;9:9'", "stats --stake 3,1",
                             "stats --marks '1;2;3;4;5;6;7;8;9'", "nosuchcommand", "stats --min 9", "stats --steps"}) {
        const auto result = run_pack(args, example + "\n");
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(result.out, "") << args;
        EXPECT_FALSE(result.err.empty()) << args;
    }
}
