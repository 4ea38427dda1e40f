// The main window's summary: the package, variant and coverage lines, the result line and the foresight.
#include "app/windows/main_window.h"

#include "app/session/package_history.h"
#include "app/windows/texts.h"
#include "core/analysis/expected_return.h"
#include "core/formation/formation_foresight.h"
#include "core/formats/memo_reading.h"

namespace morvalen::app {
namespace {

QString unread_note(const core::UnreadLines& unread) {
    if (unread.lines == 0) return {};
    return QStringLiteral("   Не прочитаны целиком строк: %1 (ставок в них %2), они подсвечены")
        .arg(unread.lines)
        .arg(unread.bets);
}

}  // namespace

void MainWindow::show_stats(bool with_coverage) {
    read_settings();
    const core::StatsView view = session_.stats(with_coverage);
    package_summary_->setText(QString::fromStdString(view.package_line));
    variants_summary_->setText(QString::fromStdString(view.variants_line));
    coverage_summary_->setText(QString::fromStdString(view.coverage_line));
    menu_.filter_by_conditions->setEnabled(core::conditions_in_force(session_.conditions) && view.totals.package_bets > 0);
    show_unread_lines();
    if (!result_summary_->text().isEmpty() && session_.bets != result_list_) result_summary_->clear();
    // The summary is recomputed on every edit: a large package gets a quick estimate instead.
    const core::ReturnOptions quick = core::summary_return_options();
    return_summary_->setText(session_.pool_rules ? QString::fromStdString(core::return_summary_line(core::expected_return(
                                                       session_.bets, session_.events, *session_.pool_rules, session_.settings.stake.currency(), quick)))
                                                 : QString());
    for (QLabel* label : {package_summary_, variants_summary_, coverage_summary_, result_summary_, return_summary_}) label->adjustSize();
    show_foresight();
    formation_panel_->set_forming_link_visible(view.enabled.forming_link);
    menu_.add_coupon->setEnabled(view.enabled.add_coupon);
    menu_.remove_variants->setEnabled(view.enabled.remove_variants);
    for (QAction* action : {menu_.split_into_singles, menu_.remove_repeats, menu_.clear_list, menu_.copy_for_transfer,
                            menu_.save_text, menu_.export_by_columns, menu_.export_by_rows})
        action->setEnabled(view.enabled.list_commands);
    if (history_) update_history_actions();
}

void MainWindow::show_unread_lines() {
    const core::UnreadLines unread = core::unread_lines(session_.bets);
    package_summary_->setText(package_summary_->text() + unread_note(unread));
    // A suspended memo is being written: its tints are brought up to date once it is shown again.
    if (bet_memo_->suspended()) return;
    std::vector<std::pair<int, QString>> lines;
    if (unread.lines > 0) {
        for (std::size_t i = 0; i < session_.bets.size(); ++i) {
            if (core::reads_whole(session_.bets[i])) continue;
            const int index = static_cast<int>(i);
            const QByteArray text = bet_memo_->line_text(index).toUtf8();
            const std::string problem =
                core::line_problem(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), session_.bets[i]);
            if (!problem.empty()) lines.emplace_back(index, QString::fromStdString(problem));
        }
    }
    bet_memo_->mark_unread(lines);
}

void MainWindow::show_result(const QString& text) {
    result_summary_->setText(text);
    result_summary_->adjustSize();
    result_list_ = session_.bets;
}

void MainWindow::note_stopped_run(const QString& caption, std::int64_t bets_before) {
    const std::int64_t kept = core::package_totals(session_.bets).package_bets - bets_before;
    setWindowTitle(caption + QStringLiteral(" — прервано клавишей Esc, оставлено ставок: %1").arg(kept));
}

void MainWindow::show_foresight() {
    core::FormationSettings settings = session_.settings;
    if (!running()) formation_panel_->peek_into(settings);
    std::optional<std::int32_t> brief;
    if (listed_guarantee_ == settings.guarantee) brief = core::listed_system_size(listed_systems_, session_.events);
    std::optional<std::int64_t> uncovered;
    if (!coverage_summary_->text().isEmpty()) uncovered = session_.uncovered_variants;
    formation_panel_->set_foresight(
        QString::fromStdString(core::formation_foresight({session_.events, settings, brief, uncovered})));
}

void MainWindow::show_start_with(bool ticked) {
    formation_panel_->set_start_with_text(label_text(core::start_with_caption(session_.events, ticked)));
}

}  // namespace morvalen::app
