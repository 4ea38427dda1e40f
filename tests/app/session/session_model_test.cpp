// The session model: nested edits announce once, at the outermost end, in the order views depend on.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include <QStringList>

#include "app/session/session_model.h"
#include "core/model/signature.h"

namespace morvalen::app {
namespace {

TEST(SessionModel, NestedEditsAnnounceEachChangeOnceWhenTheOutermostEnds) {
    SessionModel model;
    QStringList heard;
    const auto hear = [&](auto signal, const char* name) {
        QObject::connect(&model, signal, &model, [&heard, name] { heard.append(QLatin1String(name)); });
    };
    hear(&SessionModel::line_changed, "line");
    hear(&SessionModel::probabilities_changed, "probabilities");
    hear(&SessionModel::marks_changed, "marks");
    hear(&SessionModel::package_changed, "package");
    hear(&SessionModel::conditions_changed, "conditions");
    hear(&SessionModel::pool_rules_changed, "pool rules");
    hear(&SessionModel::settings_changed, "settings");
    {
        const SessionModel::Edit outer = model.change(SessionModel::package);
        outer->bets.emplace_back();
        {
            const SessionModel::Edit inner = model.change(SessionModel::marks | SessionModel::package);
            inner->events.cell(1, 1).mark = 1;
        }
        model.change(SessionModel::line)->events.event(1).name = "Хозяева - Гости";
        EXPECT_TRUE(heard.isEmpty());
    }
    EXPECT_EQ(heard, QStringList({"line", "marks", "package"}));
    EXPECT_EQ(model.session().events.event(1).name, "Хозяева - Гости");
    EXPECT_EQ(model.session().bets.size(), 1U);

    // What no view shows is written without a word; a burst written so is announced at its end.
    heard.clear();
    model.change(0)->expansion_order[0].marked = 3;
    model.change(0)->events.cell(1, 1).setting_probability = core::Currency::from_ten_thousandths(10000);
    EXPECT_TRUE(heard.isEmpty());
    model.announce(SessionModel::probabilities | SessionModel::settings | SessionModel::conditions | SessionModel::pool_rules);
    EXPECT_EQ(heard, QStringList({"probabilities", "conditions", "pool rules", "settings"}));
}

TEST(SessionModel, AListOfBriefSystemsIsAnnouncedWithTheCountsItWasAskedFor) {
    SessionModel model;
    std::vector<std::pair<int, int>> listed;
    QObject::connect(&model, &SessionModel::brief_systems_listed, &model,
                     [&listed](int m1, int m2) { listed.emplace_back(m1, m2); });
    model.change(0)->brief_systems.push_back({{3, 2, 1, 1, 1, 1, 1, 1}, 6});
    model.clear_brief_systems(3, 2);
    EXPECT_TRUE(model.session().brief_systems.empty());
    const std::string record = std::to_string(core::signature_of(7, core::MarkedCounts{3, 3, 2, 1, 1, 1, 1, 1})) + ";12|";
    EXPECT_TRUE(model.read_brief_systems(record, 4, 3).ok());
    EXPECT_EQ(model.session().brief_systems.size(), 1U);
    EXPECT_EQ(listed, (std::vector<std::pair<int, int>>{{3, 2}, {4, 3}}));
}

// A view that fails while following reaches the command's handler; while the command itself fails,
// its own failure is the one that arrives.
TEST(SessionModel, AFailingViewReachesTheCommandUnlessTheCommandFailedFirst) {
    SessionModel model;
    QObject::connect(&model, &SessionModel::package_changed, &model, [] { throw std::runtime_error("view"); });
    const auto message = [](const std::function<void()>& command) {
        try {
            command();
        } catch (const std::runtime_error& failure) {
            return std::string(failure.what());
        }
        return std::string();
    };
    EXPECT_EQ(message([&] { model.change(SessionModel::package)->bets.emplace_back(); }), "view");
    EXPECT_EQ(message([&] {
                  const SessionModel::Edit edit = model.change(SessionModel::package);
                  edit->bets.emplace_back();
                  throw std::runtime_error("command");
              }),
              "command");
    EXPECT_EQ(model.session().bets.size(), 2U);
    // The failures left no edit open: the next one is announced when it ends.
    bool heard = false;
    QObject::connect(&model, &SessionModel::marks_changed, &model, [&heard] { heard = true; });
    model.announce(SessionModel::marks);
    EXPECT_TRUE(heard);
}

}  // namespace
}  // namespace morvalen::app
