// The main window's list commands and its requests for the service's pages.
#include <algorithm>
#include <functional>
#include <stdexcept>

#include <QDateTime>
#include <QLocale>

#include "app/windows/main_window.h"
#include "app/session/package_history.h"
#include "app/windows/texts.h"
#include "core/pages/line_page.h"
#include "core/formation/formation_foresight.h"
#include "core/pages/list_page.h"
#include "core/formation/nearest_systems.h"
#include "core/pages/page_text.h"
#include "core/pages/service_request.h"

namespace morvalen::app {
namespace {

QString caption_time() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    QString text = locale.toString(now.date(), QLocale::ShortFormat);
    if (now.time() != QTime(0, 0)) text += QLatin1Char(' ') + locale.toString(now.time(), QLocale::LongFormat);
    return text;
}

core::LocalDateTime to_local(const QDateTime& now) {
    return {now.date().year(), now.date().month(), now.date().day(), now.time().hour(), now.time().minute(),
            now.time().second(), now.time().msec()};
}

}  // namespace

void MainWindow::add_coupon() {
    if (running()) return;
    guarded([&] {
        const auto step = history_->step();
        read_settings();
        bet_memo_->suspend();
        model_.change(SessionModel::package)->add_coupon();
        bet_memo_->resume();
        show_stats(false);
    });
}

void MainWindow::run_list_command(const std::function<std::optional<std::string>()>& command) {
    if (running()) return;
    guarded([&] {
        const auto step = history_->step();
        read_settings();
        if (const auto refused = command())
            options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(*refused));
        show_stats(false);
    });
}

void MainWindow::split_into_singles() {
    run_list_command([this] { return model_.change(SessionModel::package)->split_into_singles(); });
}

void MainWindow::remove_repeats() {
    run_list_command([this] {
        model_.change(SessionModel::package)->remove_repeats();
        return std::optional<std::string>();
    });
}

void MainWindow::filter_by_conditions() {
    run_list_command([this] {
        const std::string text = bet_memo_->utf8_text().toStdString();
        std::vector<std::string> lines;
        for (const std::string_view line : core::memo_lines(text)) lines.emplace_back(line);
        return model_.change(SessionModel::package)->filter_by_conditions(lines);
    });
}

void MainWindow::on_conditions_changed() {
    const QSignalBlocker quiet(menu_.conditions_enabled);
    menu_.conditions_enabled->setChecked(session_.conditions.enabled);
    show_stats(false);
    state_changed();
}

void MainWindow::remove_variants() {
    run_list_command([this] { return model_.change(SessionModel::package)->remove_variants(); });
}

// The lines are deleted with the memo shown, so the re-read empties the list as well.
void MainWindow::clear_list() {
    if (running()) return;
    guarded([&] {
        const auto step = history_->step();
        bet_memo_->clear();
        model_.change(SessionModel::package)->bets.clear();
        show_stats(false);
    });
}

void MainWindow::copy_for_transfer() {
    guarded([&] {
        KeyboardLayout& layout = *options_.platform.layout;
        const QString saved = layout.active_code();
        QString current = saved;
        for (int switches = 0; current != QLatin1String("419") && current != QLatin1String("422") && switches < 20;
             ++switches) {
            layout.activate_next();
            current = layout.active_code();
        }
        bet_memo_->selectAll();
        QString text = bet_memo_->memo_text();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        options_.platform.clipboard->set_text(text);
        layout.load_and_activate(QStringLiteral("00000") + saved);
    });
}

void MainWindow::request_line() {
    const std::string host = options_.service_url.toStdString();
    request_page(PageRequest::line, core::line_page_address(host, to_local(QDateTime::currentDateTime())));
}

void MainWindow::request_system_list() {
    const std::string host = options_.service_url.toStdString();
    nearest_first_ = session_.expansion_order[0].marked;
    nearest_second_ = session_.expansion_order[1].marked;
    request_page(PageRequest::system_list,
                 core::list_page_address(host, formation_panel_->guarantee_text().toStdString(), nearest_first_,
                                         nearest_second_, to_local(QDateTime::currentDateTime())));
}

void MainWindow::request_nearest_to_marks() {
    const auto [first, second] = core::two_largest_marked_counts(session_.events);
    nearest_first_ = first;
    nearest_second_ = second;
    // Without a service the list is empty: the window says so instead of staying away.
    if (options_.service_url.isEmpty()) {
        model_.clear_brief_systems(first, second);
        return;
    }
    const std::string host = options_.service_url.toStdString();
    request_page(PageRequest::system_list,
                 core::list_page_address(host, formation_panel_->guarantee_text().toStdString(), first, second,
                                         to_local(QDateTime::currentDateTime())));
}

void MainWindow::compare_with_brief_system() {
    const std::int64_t signature = core::signature_of(session_.settings.guarantee, core::marked_counts(session_.events));
    if (signature == compared_signature_) return;
    autoformed_bets_ = core::package_totals(session_.bets).package_bets;
    const auto [first, second] = core::two_largest_marked_counts(session_.events);
    request_page(PageRequest::system_comparison,
                 core::list_page_address(options_.service_url.toStdString(), std::to_string(session_.settings.guarantee),
                                         first, second, to_local(QDateTime::currentDateTime())));
}

void MainWindow::read_comparison_list(const std::string& text) {
    const core::ListPageResult result = core::read_list_page(text, listed_systems_);
    listed_guarantee_ = result.ok() ? session_.settings.guarantee : 0;
    const std::int64_t signature = core::signature_of(session_.settings.guarantee, core::marked_counts(session_.events));
    const auto size = core::listed_system_size(listed_systems_, session_.events);
    show_foresight();
    if (!result.ok() || !size || *size >= autoformed_bets_ || signature == compared_signature_) return;
    // Said once for these marks and this guarantee.
    compared_signature_ = signature;
    const QString said = QStringLiteral("Готовая бриф-система для этих отметок меньше: %1 ставок против %2")
                             .arg(*size)
                             .arg(autoformed_bets_);
    const QString before = result_summary_->text();
    show_result(before.isEmpty() ? said : before + QStringLiteral("; ") + said);
}

void MainWindow::request_page(PageRequest request, const std::string& url) {
    if (options_.service_url.isEmpty() || url.empty()) return;
    options_.fetcher->fetch(QString::fromStdString(url), FetchKind::page, [this, request](FetchedPage page) {
        // The line must arrive: a failed request says why and leaves the caption as it was. (A list
        // page that fails is read as the empty list it brings.)
        if (request == PageRequest::line && !page.failure.isEmpty()) {
            show_line_failure(page.failure);
        } else {
            guarded([&] { read_page(request, page); });
        }
        if (request == PageRequest::line) after_line_request();
    });
}

void MainWindow::read_line_page(const std::string& text, std::optional<std::string>& stake_text) {
    // The auxiliary windows hear of the page from the model; the grid is written here.
    const core::LinePageResult result = model_.read_line_page(text);
    for (std::size_t i = 0; i < result.names.size(); ++i) {
        const int e = static_cast<int>(i) + 1;
        outcome_grid_->set_cell(0, e, QString::fromStdString(result.names[i]));
        for (int o = 1; o <= core::outcome_count; ++o)
            outcome_grid_->set_cell(o, e, QString::fromStdString(core::outcome_cell_text(session_.events, e, o)));
    }
    // Marks of renamed events may have gone.
    outcome_grid_->update();
    if (!result.ok()) throw std::runtime_error(result.error);
    stake_text = result.stake_text;
    line_read_ = true;
}

void MainWindow::read_page(PageRequest request, const FetchedPage& page) {
    const std::string text = core::page_text(page.body, page.content_type);
    std::optional<std::string> stake_text;
    if (request == PageRequest::system_comparison) {
        read_comparison_list(text);
        Q_EMIT page_read(request);
        return;
    }
    if (request == PageRequest::line) {
        read_line_page(text, stake_text);
    } else {
        // The nearest systems window shows itself when the list is announced.
        const core::ListPageResult result = model_.read_brief_systems(text, nearest_first_, nearest_second_);
        if (!result.ok()) throw std::runtime_error(result.error);
    }
    outcome_grid_->show();
    setWindowTitle(QStringLiteral("Анализ вариантов (по состоянию на ") + caption_time() + QLatin1Char(')') +
                   QString::fromStdString(session_.events.acceptance_note));
    if (stake_text && !formation_panel_->set_stake_text(QString::fromStdString(*stake_text)))
        throw std::runtime_error(core::floating_point_error(*stake_text));
    Q_EMIT page_read(request);
}

}  // namespace morvalen::app
