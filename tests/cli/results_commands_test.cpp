// The hits and chances commands from outside: output lines and refusals.
#include <gtest/gtest.h>

#include "pack_runner.h"

using morvalen::test::run_pack;

namespace {
const std::string results = "'--results=1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2'";
const std::string package =
    "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n"
    "\r\n"
    "18.6|1-(1:0,2:0,2:1);2-(1:1,2:2);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n";
}  // namespace

TEST(ResultsCommands, HitsPrintsOneLinePerMemoLineAndTotals) {
    const auto result = run_pack("hits " + results, package);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "1\t0\t0\t0\t0\t0\t0\t0\t0\n"
              "0\t0\t0\t0\t0\t0\t0\t0\t0\n"
              "0\t2\t4\t0\t0\t0\t0\t0\t0\n"
              "1\t2\t4\t0\t0\t0\t0\t0\t0\n");
    EXPECT_EQ(run_pack("hits " + results, "").out, "0\t0\t0\t0\t0\t0\t0\t0\t0\n");
}

TEST(ResultsCommands, HitsRefusesResultsThatAreNotEightLabels) {
    auto result = run_pack("hits '--results=1:0;0:0;2:1;ЛД;0:1;1:2;3:0'", package);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("получено 7"), std::string::npos) << result.err;
    result = run_pack("hits '--results=1:0;0:0;2:1;5:5;0:1;1:2;3:0;2:2'", package);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("событие 4: \"5:5\""), std::string::npos) << result.err;
    EXPECT_EQ(run_pack("hits", package).status, 2);
}

TEST(ResultsCommands, ChancesUnderTheProbabilities) {
    // Certain outcomes in every event: the first bet hits 8 for sure.
    std::string certain = "'--probabilities=";
    for (int column : {1, 7, 3, 17, 11, 13, 4, 9}) certain += std::string(static_cast<std::size_t>(column - 1), ',') + "100;";
    certain.back() = '\'';
    auto result = run_pack("chances " + certain, package);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "Не менее 8 совпадений, %\t100.000000");
    EXPECT_NE(result.out.find("Ожидаемое число ставок с 8 совпадениями\t1\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Точный расчёт: "), std::string::npos);

    // Default: every outcome 1/17.
    result = run_pack("chances", package.substr(0, package.find('\n') + 1));
    EXPECT_EQ(result.status, 0) << result.err;
    // A chance of about 1.4e-10 keeps six significant digits.
    EXPECT_NE(result.out.find("Не менее 8 совпадений, %\t0.0000000143354\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Не менее 2 совпадений, %\t"), std::string::npos);

    result = run_pack("chances '--probabilities=50,50;;'", package);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("Событие 2: вероятности всех исходов равны 0"), std::string::npos) << result.err;
    EXPECT_EQ(run_pack("chances '--probabilities=1,x'", package).status, 2);
    EXPECT_EQ(run_pack("chances '--probabilities=" + std::string(17, ',') + "1'", package).status, 2);
    EXPECT_EQ(run_pack("chances '--probabilities=1;1;1;1;1;1;1;1;1'", package).status, 2);
}
