// The service's reading of getbrief queries: the three forms and everything it refuses.
#include "service/brief_query.h"

#include <gtest/gtest.h>

namespace morvalen::service {
namespace {

BriefQuery parse(const QueryParams& params, std::size_t length = 40) { return parse_brief_query(params, length); }

bool refused(const QueryParams& params, std::size_t length = 40) {
    return std::holds_alternative<QueryError>(parse(params, length));
}

TEST(BriefQueryTest, TheThreeFormsTheProgramSends) {
    EXPECT_TRUE(std::holds_alternative<LineQuery>(parse({{"line", "1"}, {"dt", "46364.25"}})));
    const auto list = std::get<ListQuery>(parse({{"grant", "7_21"}, {"dt", "46364.25"}}));
    EXPECT_EQ(list.guarantee, 7);
    EXPECT_EQ(list.first, 3);
    EXPECT_EQ(list.second, 2);
    const auto top = std::get<ListQuery>(parse({{"grant", "2_GA"}}));
    EXPECT_EQ(top.first, 17);
    EXPECT_EQ(top.second, 11);
    EXPECT_EQ(std::get<SystemQuery>(parse({{"signat", "50111101842"}})).signature, 50111101842);
    // The time value is ignored whatever it holds.
    EXPECT_FALSE(refused({{"line", "1"}, {"dt", "not a time"}}));
}

TEST(BriefQueryTest, MalformedQueriesAreRefused) {
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused({{"line", "2"}}));
    EXPECT_TRUE(refused({{"line", "1"}, {"line", "1"}}));
    EXPECT_TRUE(refused({{"line", "1"}, {"grant", "7_21"}}));
    EXPECT_TRUE(refused({{"line", "1"}, {"x", "1"}}));
    EXPECT_TRUE(refused({{"grant", "7_2"}}));
    EXPECT_TRUE(refused({{"grant", "7_2H"}}));
    EXPECT_TRUE(refused({{"grant", "0_21"}}));
    EXPECT_TRUE(refused({{"grant", "9_21"}}));
    EXPECT_TRUE(refused({{"grant", "-7_21"}}));
    EXPECT_TRUE(refused({{"grant", "7_21_"}}));
    EXPECT_TRUE(refused({{"signat", ""}}));
    EXPECT_TRUE(refused({{"signat", "12x"}}));
    EXPECT_TRUE(refused({{"signat", "-5"}}));
    EXPECT_TRUE(refused({{"signat", "0"}}));
    EXPECT_TRUE(refused({{"signat", "99999999999999999999"}}));
    EXPECT_TRUE(refused({{"line", "1"}}, max_target_length + 1));
}

TEST(BriefQueryTest, RawQueriesAreSplitAndDecodedKeepingRepeats) {
    EXPECT_EQ(query_params("/p?line=1&dt=46364.25"), (QueryParams{{"line", "1"}, {"dt", "46364.25"}}));
    EXPECT_EQ(query_params("/p?line=1&line=1"), (QueryParams{{"line", "1"}, {"line", "1"}}));
    EXPECT_EQ(query_params("/p?%6Cine=%31&&x"), (QueryParams{{"line", "1"}, {"x", ""}}));
    EXPECT_EQ(query_params("/p"), QueryParams{});
    EXPECT_FALSE(query_params("/p?line=%3"));
    EXPECT_FALSE(query_params("/p?line=%zz"));
}

}  // namespace
}  // namespace morvalen::service
