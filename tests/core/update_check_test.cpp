// The update offer decision and its texts.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/update_check.h"

using namespace morvalen::core;

TEST(UpdateCheck, VersionsCompareByCharacters) {
    EXPECT_TRUE(offers_update("1.0.3.0"));
    EXPECT_FALSE(offers_update("1.0.2.0"));
    EXPECT_FALSE(offers_update("1.0.1.9"));
    EXPECT_FALSE(offers_update("1.0.10.0"));  // "1" orders before "2" at the fifth place
    EXPECT_TRUE(offers_update("1.0.2.0\r\n"));
    EXPECT_FALSE(offers_update(""));
    EXPECT_TRUE(offers_update("\xC0"));  // bytes above 127 order after the digits
    EXPECT_FALSE(offers_update("1.0.2"));
}

TEST(UpdateCheck, Texts) {
    EXPECT_EQ(after_download_text("1.0.3.0"), "Получен архивный файл morvalen_trast.rar с новой версией программы1.0.3.0");
    EXPECT_EQ(after_download_text("\xC2\xE5\xF0"), "Получен архивный файл morvalen_trast.rar с новой версией программыВер");
    EXPECT_EQ(update_offer_text, "Доступна новая версия программы!\rОбновить?");
    EXPECT_EQ(version_text(std::string(300, 'x')).size(), 282U);
    EXPECT_EQ(version_text("1.0.3.0"), "1.0.3.0");
}

namespace {

struct ScriptedWorld {
    std::optional<std::string> version = std::string("1.0.3.0");
    ArchiveDownload download = ArchiveDownload::written;
    bool yes_to_offer = true;
    bool yes_after = true;
    std::vector<std::string> log;

    UpdateHooks hooks() {
        UpdateHooks h;
        h.fetch_text = [this](const std::string& address) { log.push_back("get " + address); return version; };
        h.download_to_file = [this](const std::string& address, const std::string& file) {
            log.push_back("download " + address + " > " + file);
            return download;
        };
        h.ask_yes_no = [this](std::string_view text) { log.push_back("ask " + std::string(text)); return yes_to_offer; };
        h.confirm = [this](std::string_view text) { log.push_back("confirm " + std::string(text)); return yes_after; };
        h.show_error = [this](std::string_view text) { log.push_back("error " + std::string(text)); };
        return h;
    }
};

}  // namespace

TEST(UpdateCheck, StartUpFlow) {
    ScriptedWorld world;
    EXPECT_EQ(run_update_check("http://127.0.0.1:9/", world.hooks()), UpdateOutcome::terminate_requested);
    EXPECT_EQ(world.log, (std::vector<std::string>{
                             "get http://127.0.0.1:9/updmtz17.ini",
                             "ask Доступна новая версия программы!\rОбновить?",
                             "download http://127.0.0.1:9/morvalen_trast.rar > morvalen_trast.rar",
                             "confirm Получен архивный файл morvalen_trast.rar с новой версией программы1.0.3.0",
                         }));

    world = {};
    world.yes_after = false;
    EXPECT_EQ(run_update_check("h", world.hooks()), UpdateOutcome::downloaded);
    world = {};
    world.yes_to_offer = false;
    EXPECT_EQ(run_update_check("h", world.hooks()), UpdateOutcome::declined);
    EXPECT_EQ(world.log.size(), 2U);
    world = {};
    world.download = ArchiveDownload::file_not_created;
    EXPECT_EQ(run_update_check("h", world.hooks()), UpdateOutcome::not_downloaded);
    EXPECT_EQ(world.log.back(), "error Невозможно записать временный файл в рабочую папку.");
    world = {};
    world.download = ArchiveDownload::not_written;
    EXPECT_EQ(run_update_check("h", world.hooks()), UpdateOutcome::not_downloaded);
    EXPECT_EQ(world.log.size(), 3U);
    world = {};
    world.version = std::string("");
    EXPECT_EQ(run_update_check("h", world.hooks()), UpdateOutcome::up_to_date);
    world = {};
    world.version = std::nullopt;
    EXPECT_EQ(run_update_check("h", world.hooks()), UpdateOutcome::no_check);
}
