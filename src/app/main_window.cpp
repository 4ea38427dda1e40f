// The main window's construction, its handlers and the summary; the core decides, the window draws.
#include "app/main_window.h"

#include <chrono>
#include <stdexcept>

#include <QApplication>
#include <QEventLoop>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>

#include "app/aux_windows.h"
#include "app/file_commands.h"
#include "app/texts.h"
#include "app/update_checker.h"
#include "core/autoformation.h"
#include "core/brief_expansion.h"
#include "core/line_page.h"
#include "core/list_page.h"
#include "core/nearest_systems.h"
#include "core/payload.h"
#include "core/random_distribution.h"
#include "core/sensations.h"
#include "core/page_text.h"
#include "core/service_request.h"

namespace morvalen::app {
namespace {

constexpr int client_width = 1010;
constexpr int client_height = 631;
constexpr int panel1_height = 293;
constexpr int grid_height = 253;
constexpr int panel2_width = 315;
// Decompressed brief systems beyond this are refused: a small hostile body must not fill the memory.
constexpr std::size_t brief_content_cap = std::size_t{256} * 1024 * 1024;

// Marks a formation run for its duration; nested calls keep the outer mark.
class RunMark {
public:
    explicit RunMark(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~RunMark() { flag_ = previous_; }
    RunMark(const RunMark&) = delete;
    RunMark& operator=(const RunMark&) = delete;

private:
    bool& flag_;
    bool previous_;
};

QLabel* make_label(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = new QLabel(label_text(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QSpinBox* make_spin(QWidget* parent, const char* name, int minimum, int maximum, int value, QRect geometry,
                    const QString& hint) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setGeometry(geometry);
    spin->setToolTip(label_text(hint));
    return spin;
}

// The panel keeps its children where they were placed and stretches the grid's area to its width.
class TopPanel : public QWidget {
public:
    using QWidget::QWidget;
    QWidget* grid_area = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        if (grid_area) grid_area->setGeometry(0, 0, width(), grid_height);
        QWidget::resizeEvent(event);
    }
};

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

std::uint64_t clock_seed() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace

template <typename Handler>
void Form7::guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        options_.platform.boxes->show_error(this, app_title, QString::fromUtf8(error.what()));
    }
}

Form7::Form7(WindowOptions options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
    if (!options_.fetcher) options_.fetcher = std::make_shared<NetworkPageFetcher>(this);
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(start_caption);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    build_menu();
    build_panels();
    install_file_commands(*this);
    resize(client_width, client_height + menuBar()->sizeHint().height());
    // Key preview: the window's key handlers see every key pressed in any of its controls.
    qApp->installEventFilter(this);
    FormCreate();
    Form1 = create_probability_editor(session_, this);
    Form2 = create_nearest_systems_window(session_, this);
    Form3 = create_distribution_window(session_, this);
}

Form7::~Form7() { qApp->removeEventFilter(this); }

void Form7::build_menu() {
    auto add = [this](QMenu* menu, QAction*& action, const char* name, const QString& caption, const char* keys,
                      void (Form7::*handler)()) {
        action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (keys) action->setShortcut(QKeySequence(QLatin1String(keys)));
        // The window's own shortcuts, so they also reach it while the memo has the focus.
        action->setShortcutContext(Qt::WindowShortcut);
        if (handler) connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    QMenu* files = menuBar()->addMenu(QStringLiteral("Файлы"));
    add(files, ExcellCtrlE1, "ExcellCtrlE1", QStringLiteral("Сохранить для Excell"), "Ctrl+E", nullptr);
    add(files, ExcellCtrlS1, "ExcellCtrlS1", QStringLiteral("Сохранить для Excell построчно"), "Ctrl+S", nullptr);
    add(files, mmt, "mmt", QStringLiteral("Сохранить как текст"), "Ctrl+T", nullptr);
    add(files, mmk, "mmk", QStringLiteral("Котировки в файл"), "Ctrl+K", nullptr);
    add(files, mml, "mml", QStringLiteral("Котировки из файла"), "Ctrl+L", nullptr);
    QMenu* actions = menuBar()->addMenu(QStringLiteral("Действия"));
    add(actions, mmc, "mmc", QStringLiteral("Копировать для переноса"), "Ctrl+C", &Form7::mmcClick);
    mmc->setToolTip(QStringLiteral("Ранее сформированный различными способами пакет ставок копируется в буфер для "
                                   "переноса на страницу приема ставок тотализатора сайта «БК Зарнит»"));
    add(actions, N2, "N2", QStringLiteral("Добавить купоном"), "Ctrl+D", &Form7::N2Click);
    add(actions, mmo, "mmo", QStringLiteral("Разложить на одиночные"), "Ctrl+O", &Form7::mmoClick);
    add(actions, Nmw, "Nmw", QStringLiteral("Убрать повторы"), "Ctrl+W", &Form7::NmwClick);
    add(actions, mmy, "mmy", QStringLiteral("Изъять варианты из списка"), "Ctrl+Y", &Form7::mmyClick);
    add(actions, mmx, "mmx", QStringLiteral("Очистить список ставок "), "Ctrl+X", &Form7::mmxClick);
    QMenu* package = menuBar()->addMenu(QStringLiteral("Пакет"));
    add(package, N4, "N4", QStringLiteral("Распределение по исходам"), nullptr, &Form7::N4Click);
    add(nullptr, mm3, "mm3", QStringLiteral("Информация"), nullptr, nullptr);
}

void Form7::build_panels() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);

    auto* top = new TopPanel(splitter);
    Panel1 = top;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    QPalette yellow = Panel1->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    Panel1->setPalette(yellow);
    Panel1->setMinimumHeight(grid_height);
    auto* grid_area = new QScrollArea(Panel1);
    grid_area->setFrameShape(QFrame::NoFrame);
    grid_area->setBackgroundRole(QPalette::Base);
    StringGrid1 = new OutcomeGrid(session_.events, grid_area);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    grid_area->setWidget(StringGrid1);
    grid_area->setWidgetResizable(false);
    top->grid_area = grid_area;
    connect(StringGrid1, &OutcomeGrid::select_cell, this, &Form7::StringGrid1SelectCell);
    Label2 = make_label(Panel1, "Label2", QString(), 8, 260);
    Label1 = make_label(Panel1, "Label1", QString(), 8, 274);
    Label3 = make_label(Panel1, "Label3", QStringLiteral("Покрытие по исходам"), 456, 260);

    auto* bottom = new QWidget(splitter);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    Panel2 = new QWidget(bottom);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(panel2_width);
    row->addWidget(Panel2);
    Memo1 = new BetMemo(bottom);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(QFont(QStringLiteral("Tahoma"), 8));
    Memo1->set_menu_keys({Qt::Key_E, Qt::Key_S, Qt::Key_T, Qt::Key_K, Qt::Key_L, Qt::Key_C, Qt::Key_D, Qt::Key_O,
                          Qt::Key_W, Qt::Key_Y, Qt::Key_X});
    row->addWidget(Memo1, 1);
    session_.memo = Memo1;
    connect(Memo1, &BetMemo::edited, this, &Form7::Memo1Change);

    splitter->addWidget(Panel1);
    splitter->addWidget(bottom);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({panel1_height, client_height - panel1_height});

    // The formation panel.
    Label8 = make_label(Panel2, "Label8", QStringLiteral("Способ формирования пакета"), 8, 8);
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Бриф-системы"), QStringLiteral("По \"сенсациям\""),
                         QStringLiteral("Случ. распределение"), QStringLiteral("Автоформирование")});
    ComboBox1->setGeometry(8, 24, 170, 22);
    ComboBox1->setToolTip(QStringLiteral("Способ формирования пакета"));

    Label5 = new LinkLabel(label_text(QStringLiteral("Добавить \r\nв список")), Panel2);
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont link_font = Label5->font();
    link_font.setBold(true);
    link_font.setUnderline(true);
    Label5->setFont(link_font);
    Label5->setStyleSheet(QStringLiteral("color: blue"));
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->move(200, 20);
    Label5->adjustSize();

    Label9 = make_label(Panel2, "Label9", QStringLiteral("Гарантия"), 8, 60);
    RxSpinEdit3 = make_spin(Panel2, "RxSpinEdit3", 2, 7, 7, {80, 56, 50, 22},
                            QStringLiteral("Гарантированное количество угаданных событий, \r\nесли результаты попали в "
                                           "число отмеченных исходов"));
    Label10 = make_label(Panel2, "Label10", QStringLiteral("Миним – Максим\r\n(число сенсаций) "), 8, 54);
    RxSpinEdit2 = make_spin(Panel2, "RxSpinEdit2", 0, 8, 1, {120, 56, 45, 22},
                            QStringLiteral("Минимальное количество \r\nособо отмеченных (желтых) \r\nисходов в каждой из "
                                           "ставок\r\nформируемого пакета"));
    RxSpinEdit1 = make_spin(Panel2, "RxSpinEdit1", 0, 8, 1, {170, 56, 45, 22},
                            QStringLiteral("Максимальное количество \r\nособо отмеченных (желтых) \r\nисходов в каждой "
                                           "из ставок\r\nформируемого пакета"));
    Label12 = make_label(Panel2, "Label12", QStringLiteral("Повторять"), 8, 94);
    RxSpinEdit4 = make_spin(Panel2, "RxSpinEdit4", 1, 100000000, 1000, {80, 90, 100, 22}, QString());
    Label11 = new LinkLabel(label_text(QStringLiteral("Редактирование\r\nвероятностей")), Panel2);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setStyleSheet(QStringLiteral("color: blue"));
    Label11->setCursor(Qt::PointingHandCursor);
    Label11->move(200, 88);
    Label11->adjustSize();

    CheckBox1 = new QCheckBox(Panel2);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 128, 18, 18);
    CheckBox1->setToolTip(label_text(QStringLiteral("Эта галочка позволяет начать \r\nформирование бриф-системы, "
                                                    "\r\nначиная с заданного варианта \r\nрезультатов.")));
    CheckBox1->setAutoFillBackground(true);
    QPalette tip = CheckBox1->palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    CheckBox1->setPalette(tip);
    Label6 = new QLabel(QStringLiteral(" Начать с "), Panel2);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(30, 128, 120, 130);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setAutoFillBackground(true);
    Label6->setToolTip(label_text(QStringLiteral("Здесь показан вариант результатов, \r\nс каторого начинается "
                                                 "формирование\r\nбриф-системы. Вариент состоит из исходов,\r\nвыбранных "
                                                 "последними в каждом из матчей.")));
    QPalette face = Label6->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    Label6->setPalette(face);

    Label7 = make_label(Panel2, "Label7", QStringLiteral("Размер ставки"), 180, 128);
    CurrencyEdit1 = new CurrencyEdit(Panel2);
    CurrencyEdit1->setObjectName(QStringLiteral("CurrencyEdit1"));
    CurrencyEdit1->setGeometry(180, 144, 90, 22);
    CurrencyEdit1->setToolTip(QStringLiteral("Размер ставки"));

    connect(Label5, &LinkLabel::clicked, this, &Form7::Label5Click);
    connect(Label11, &LinkLabel::clicked, this, [this] { Form1->show(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &Form7::ComboBox1Change);
    connect(RxSpinEdit3, &QSpinBox::valueChanged, this, &Form7::RxSpinEdit3Change);
    connect(CheckBox1, &QCheckBox::clicked, this, &Form7::CheckBox1Click);
}

void Form7::FormCreate() {
    // Before the line is requested: a player who takes the new version ends this run.
    check_for_update(this, options_.update_url, options_.platform);
    session_.keys = {};
    session_.rng.seed(options_.seed != 0 ? options_.seed : clock_seed());
    get_events(1);
    StringGrid1->set_cell(0, 0, QStringLiteral("События"));
    for (int o = 1; o <= core::outcome_count; ++o)
        StringGrid1->set_cell(o, 0, QString::fromUtf8(core::outcome_label(o).data(),
                                                      static_cast<qsizetype>(core::outcome_label(o).size())));
    {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->setCurrentIndex(0);
    }
    ComboBox1Change();
    show_stats(false);
}

void Form7::read_settings() {
    // A run reads the settings it started with.
    if (session_.formation_running) return;
    CurrencyEdit1->commit_typed_text();
    core::FormationSettings& settings = session_.settings;
    settings.method = ComboBox1->currentIndex();
    settings.guarantee = RxSpinEdit3->value();
    settings.repeat_count = RxSpinEdit4->value();
    settings.yellow_min = RxSpinEdit2->value();
    settings.yellow_max = RxSpinEdit1->value();
    settings.start_with = CheckBox1->isChecked();
    settings.stake = CurrencyEdit1->stake();
}

void Form7::show_stats(bool with_coverage) {
    read_settings();
    const core::StatsView view = session_.stats(with_coverage);
    Label1->setText(QString::fromStdString(view.package_line));
    Label2->setText(QString::fromStdString(view.variants_line));
    Label3->setText(QString::fromStdString(view.coverage_line));
    for (QLabel* label : {Label1, Label2, Label3}) label->adjustSize();
    Label5->setVisible(view.enabled.forming_link);
    N2->setEnabled(view.enabled.add_coupon);
    mmy->setEnabled(view.enabled.remove_variants);
    for (QAction* action : {mmo, Nmw, mmx, mmc, mmt, ExcellCtrlE1, ExcellCtrlS1})
        action->setEnabled(view.enabled.list_commands);
}

void Form7::show_start_with(bool ticked) {
    Label6->setText(label_text(core::start_with_caption(session_.events, ticked)));
}

void Form7::StringGrid1SelectCell(int column, int row) {
    // The pass decodes its candidates from the marks it started with; they stay put while it runs.
    if (running_) return;
    guarded([&] {
        if (!core::select_cell(session_.events, column, row, session_.keys.key_held)) return;
        if (column == 0) {
            for (int o = 1; o <= core::outcome_count; ++o)
                StringGrid1->set_cell(o, row, QString::fromStdString(core::outcome_cell_text(session_.events, row, o)));
        }
        StringGrid1->update();
        show_start_with(CheckBox1->isChecked());
        show_stats(false);
    });
}

void Form7::CheckBox1Click() {
    QPalette palette = Label6->palette();
    palette.setColor(QPalette::Window,
                     palette.color(CheckBox1->isChecked() ? QPalette::ToolTipBase : QPalette::Button));
    Label6->setPalette(palette);
    show_start_with(CheckBox1->isChecked());
}

void Form7::Memo1Change() {
    guarded([&] {
        if (Memo1->suspended()) return;
        const QByteArray text = Memo1->toPlainText().toUtf8();
        core::read_memo(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), session_.bets);
        if (Form3 && Form3->isVisible()) Form3->hide();
        show_stats(false);
    });
}

void Form7::Label5Click() {
    // A run lets the window process its messages; a second click meanwhile must not start another.
    if (running_) return;
    RunMark mark(running_);
    guarded([&] {
        read_settings();
        Memo1->suspend();
        Form3->hide();
        struct Resume {
            BetMemo* memo;
            ~Resume() { memo->resume(); }
        } resume{Memo1};
        const core::FormationSettings& settings = session_.settings;
        switch (ComboBox1->currentIndex()) {
        case 0: {
            session_.expansion_order = core::order_events(session_.events, settings.start_with, session_.rng);
            const std::int64_t signature = core::getsignat(settings.guarantee, session_.expansion_order);
            st3(QString::fromStdString(core::system_address(options_.service_url.toStdString(), signature)));
            break;
        }
        case 1:
            core::sensat(session_);
            show_stats(false);
            break;
        case 2: {
            const auto failed = core::random_distribution(session_);
            show_stats(false);
            if (failed) throw std::runtime_error(*failed);
            break;
        }
        case 3: run_colover(RxSpinEdit4->value()); break;
        default: break;
        }
    });
}

core::ProgressHooks Form7::progress_hooks(const QString& saved_caption) {
    core::ProgressHooks hooks;
    hooks.clock = options_.progress_clock;
    hooks.show_caption = [this](const std::string& text) { setWindowTitle(QString::fromStdString(text)); };
    hooks.restore_caption = [this, saved_caption] { setWindowTitle(saved_caption); };
    hooks.process_messages = [] { QCoreApplication::processEvents(); };
    hooks.show_error = [this](const std::string& text) {
        options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(text));
    };
    return hooks;
}

void Form7::run_colover(std::int64_t steps) {
    RunMark mark(running_);
    read_settings();
    // The cleaning before the pass takes lines out of the memo, which must not be read back.
    const bool was_shown = !Memo1->suspended();
    if (was_shown) Memo1->suspend();
    const core::AutoformationOutcome outcome = core::colover(session_, steps, progress_hooks(windowTitle()));
    if (was_shown) Memo1->resume();
    if (outcome.ran) show_stats(outcome.show_coverage && !outcome.failed);
}

void Form7::st3(const QString& url) {
    RunMark mark(running_);
    const QString saved_caption = windowTitle();
    struct Finish {
        Form7* window;
        QString caption;
        ~Finish() {
            window->show_stats(false);
            window->setWindowTitle(caption);
        }
    } finish{this, saved_caption};
    // The download runs while the window keeps handling its messages; the run mark refuses new runs.
    FetchedPage page;
    bool arrived = false;
    QEventLoop loop;
    options_.fetcher->fetch(url, FetchKind::brief_system, [&](FetchedPage answer) {
        page = std::move(answer);
        arrived = true;
        loop.quit();
    });
    if (!arrived) loop.exec();
    // A failed download is silent: the step that needed the network is skipped.
    if (!page.ok) return;
    if (page.body.size() < 2) {
        get_events(2);
        return;
    }
    const core::PayloadResult payload = core::decode_payload(page.body, brief_content_cap);
    if (payload.status == core::PayloadStatus::no_system) {
        get_events(2);
        return;
    }
    if (payload.status == core::PayloadStatus::error) throw std::runtime_error(payload.error);
    core::expand_brief_system(session_, payload.records, payload.content_size, progress_hooks(saved_caption));
}

void Form7::show_nearest_systems() { Form2->show_nearest_systems(); }

void Form7::N4Click() { Form3->N4Click(); }

void Form7::ComboBox1Change() {
    const int method = ComboBox1->currentIndex();
    // The check shows at once how much of the present list covers the marks with the guarantee.
    if (method == 3 && !running_) guarded([&] { run_colover(0); });
    CheckBox1->setVisible(method == 0);
    Label6->setVisible(method == 0);
    RxSpinEdit3->setVisible(method == 0 || method == 3);
    Label9->setVisible(method == 0 || method == 3);
    Label11->setVisible(method == 2);
    RxSpinEdit2->setVisible(method == 1);
    RxSpinEdit1->setVisible(method == 1);
    Label10->setVisible(method == 1);
    RxSpinEdit4->setVisible(method > 1);
    Label12->setVisible(method > 1);
    StringGrid1->set_yellow_visible(method == 1);
}

void Form7::RxSpinEdit3Change() {
    if (ComboBox1->currentIndex() == 3 && !running_) guarded([&] { run_colover(0); });
}

void Form7::N2Click() {
    if (running_) return;
    guarded([&] {
        read_settings();
        Memo1->suspend();
        session_.add_coupon();
        Memo1->resume();
        show_stats(false);
    });
}

void Form7::mmoClick() {
    if (running_) return;
    guarded([&] {
        read_settings();
        if (const auto refused = session_.split_into_singles())
            options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(*refused));
        show_stats(false);
    });
}

void Form7::NmwClick() {
    if (running_) return;
    guarded([&] {
        read_settings();
        session_.remove_repeats();
        show_stats(false);
    });
}

void Form7::mmyClick() {
    if (running_) return;
    guarded([&] {
        read_settings();
        if (const auto refused = session_.remove_variants())
            options_.platform.boxes->show_error(this, error_caption, QString::fromStdString(*refused));
        show_stats(false);
    });
}

// The lines are deleted with the memo shown, so the re-read empties the list as well.
void Form7::mmxClick() {
    if (running_) return;
    guarded([&] {
        Memo1->clear();
        session_.bets.clear();
        show_stats(false);
    });
}

void Form7::mmcClick() {
    guarded([&] {
        KeyboardLayout& layout = *options_.platform.layout;
        const QString saved = layout.active_code();
        QString current = saved;
        for (int switches = 0; current != QLatin1String("419") && current != QLatin1String("422") && switches < 20;
             ++switches) {
            layout.activate_next();
            current = layout.active_code();
        }
        Memo1->selectAll();
        QString text = Memo1->memo_text();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        options_.platform.clipboard->set_text(text);
        layout.load_and_activate(QStringLiteral("00000") + saved);
    });
}

void Form7::get_events(int mode) {
    if (options_.service_url.isEmpty()) return;
    request_mode_ = mode;
    const core::LocalDateTime now = to_local(QDateTime::currentDateTime());
    const std::string host = options_.service_url.toStdString();
    std::string url;
    if (mode == 1) url = core::line_page_address(host, now);
    if (mode == 2)
        url = core::list_page_address(host, RxSpinEdit3->text().toStdString(), session_.expansion_order[0].marked,
                                      session_.expansion_order[1].marked, now);
    if (url.empty()) return;
    options_.fetcher->fetch(QString::fromStdString(url), FetchKind::page, [this](FetchedPage page) {
        guarded([&] { document_complete(request_mode_, page); });
    });
}

void Form7::document_complete(int mode, const FetchedPage& page) {
    const std::string text = core::page_text(page.body, page.content_type);
    std::optional<std::string> stake_text;
    if (mode == 1) {
        // A page can complete before the auxiliary windows exist only with a fetcher that answers at once.
        if (Form1) {
            Form1->drag_index = -1;
            Form1->clear_events();
        }
        core::LinePageResult result = core::read_line_page(text, session_.events);
        for (std::size_t i = 0; i < result.names.size(); ++i) {
            const int e = static_cast<int>(i) + 1;
            StringGrid1->set_cell(0, e, QString::fromStdString(result.names[i]));
            const QString short_name = QString::fromStdString(core::short_event_name(result.names[i]));
            if (Form1) Form1->add_event(short_name);
            if (Form3) Form3->set_event_name(e, short_name);
            for (int o = 1; o <= core::outcome_count; ++o)
                StringGrid1->set_cell(o, e, QString::fromStdString(core::outcome_cell_text(session_.events, e, o)));
        }
        if (!result.ok()) throw std::runtime_error(result.error);
        if (Form1) Form1->select_event(0);
        stake_text = result.stake_text;
    } else if (mode == 2) {
        const core::ListPageResult result = core::read_list_page(text, session_.brief_systems);
        if (!result.ok()) throw std::runtime_error(result.error);
        show_nearest_systems();
    }
    StringGrid1->show();
    setWindowTitle(QStringLiteral("Анализ вариантов (по состоянию на ") + caption_time() + QLatin1Char(')') +
                   QString::fromStdString(session_.events.acceptance_note));
    if (stake_text && !CurrencyEdit1->set_value_text(QString::fromStdString(*stake_text)))
        throw std::runtime_error(core::floating_point_error(*stake_text));
    Q_EMIT page_read(mode);
}

bool Form7::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (event->type() == QEvent::KeyPress) {
                if (key->key() == Qt::Key_Escape) session_.keys.stop_requested = true;
                session_.keys.key_held = true;
            } else if (!key->isAutoRepeat()) {
                session_.keys.key_held = false;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace morvalen::app
