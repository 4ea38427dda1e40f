// The formation panel's controls, placed where the player knows them, and their signals.
#include "app/widgets/formation_panel.h"

#include "app/windows/texts.h"

namespace morvalen::app {
namespace {

QLabel* make_label(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* label = new QLabel(label_text(caption), parent);
    if (name) label->setObjectName(QLatin1String(name));
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

}  // namespace

FormationPanel::FormationPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("formation_panel"));
    build_method_row();
    build_settings();
    build_start_with();

    connect(add_to_list_link_, &LinkLabel::clicked, this, &FormationPanel::add_to_list_requested);
    connect(edit_probabilities_link_, &LinkLabel::clicked, this, &FormationPanel::edit_probabilities_requested);
    connect(method_, &QComboBox::currentIndexChanged, this, &FormationPanel::method_changed);
    connect(guarantee_, &QSpinBox::valueChanged, this, &FormationPanel::guarantee_changed);
    connect(start_with_, &QCheckBox::clicked, this, [this](bool ticked) {
        colour_start_with_caption(ticked);
        Q_EMIT start_with_toggled(ticked);
    });
    for (QSpinBox* spin : {guarantee_, yellow_min_, yellow_max_, repeat_count_})
        connect(spin, &QSpinBox::valueChanged, this, &FormationPanel::settings_changed);
    connect(method_, &QComboBox::currentIndexChanged, this, &FormationPanel::settings_changed);
    connect(start_with_, &QCheckBox::toggled, this, &FormationPanel::settings_changed);
    connect(stake_, &QLineEdit::editingFinished, this, &FormationPanel::settings_changed);
}

void FormationPanel::show_settings(const core::FormationSettings& settings) {
    const int index = static_cast<int>(settings.method);
    if (index >= 0 && index < method_->count()) method_->setCurrentIndex(index);
    guarantee_->setValue(settings.guarantee);
    repeat_count_->setValue(static_cast<int>(settings.repeat_count));
    yellow_min_->setValue(settings.yellow_min);
    yellow_max_->setValue(settings.yellow_max);
    start_with_->setChecked(settings.start_with);
    colour_start_with_caption(settings.start_with);
    stake_->set_stake(settings.stake);
    Q_EMIT settings_changed();
}

void FormationPanel::build_method_row() {
    make_label(this, nullptr, QStringLiteral("Способ формирования пакета"), 8, 8);
    method_ = new QComboBox(this);
    method_->setObjectName(QStringLiteral("method"));
    // In the order of core::FormationMethod.
    method_->addItems({QStringLiteral("Бриф-системы"), QStringLiteral("По \"сенсациям\""),
                       QStringLiteral("Случ. распределение"), QStringLiteral("Автоформирование"),
                       QStringLiteral("Максимум шансов"), QStringLiteral("Максимум выигрыша")});
    method_->setGeometry(8, 24, 170, 22);
    method_->setToolTip(QStringLiteral("Способ формирования пакета"));

    add_to_list_link_ = new LinkLabel(label_text(QStringLiteral("Добавить \r\nв список")), this);
    add_to_list_link_->setObjectName(QStringLiteral("add_to_list_link"));
    QFont link_font = add_to_list_link_->font();
    link_font.setBold(true);
    link_font.setUnderline(true);
    add_to_list_link_->setFont(link_font);
    add_to_list_link_->setStyleSheet(QStringLiteral("color: blue"));
    add_to_list_link_->setCursor(Qt::PointingHandCursor);
    add_to_list_link_->move(200, 20);
    add_to_list_link_->adjustSize();
}

void FormationPanel::build_settings() {
    guarantee_caption_ = make_label(this, "guarantee_caption", QStringLiteral("Гарантия"), 8, 60);
    guarantee_ = make_spin(this, "guarantee", 2, 7, 7, {80, 56, 50, 22},
                           QStringLiteral("Гарантированное количество угаданных событий, \r\nесли результаты попали в "
                                          "число отмеченных исходов"));
    upsets_caption_ = make_label(this, "upsets_caption", QStringLiteral("Миним – Максим\r\n(число сенсаций) "), 8, 54);
    yellow_min_ = make_spin(this, "yellow_min", 0, 8, 1, {120, 56, 45, 22},
                            QStringLiteral("Минимальное количество \r\nособо отмеченных (желтых) \r\nисходов в каждой из "
                                           "ставок\r\nформируемого пакета"));
    yellow_max_ = make_spin(this, "yellow_max", 0, 8, 1, {170, 56, 45, 22},
                            QStringLiteral("Максимальное количество \r\nособо отмеченных (желтых) \r\nисходов в каждой "
                                           "из ставок\r\nформируемого пакета"));
    repeat_caption_ = make_label(this, "repeat_caption", QStringLiteral("Повторять"), 8, 94);
    repeat_count_ = make_spin(this, "repeat_count", 1, 100000000, 1000, {80, 90, 100, 22}, QString());
    edit_probabilities_link_ = new LinkLabel(label_text(QStringLiteral("Редактирование\r\nвероятностей")), this);
    edit_probabilities_link_->setObjectName(QStringLiteral("edit_probabilities_link"));
    edit_probabilities_link_->setStyleSheet(QStringLiteral("color: blue"));
    edit_probabilities_link_->setCursor(Qt::PointingHandCursor);
    edit_probabilities_link_->move(200, 88);
    edit_probabilities_link_->adjustSize();
}

void FormationPanel::build_start_with() {
    start_with_ = new QCheckBox(this);
    start_with_->setObjectName(QStringLiteral("start_with"));
    start_with_->setGeometry(8, 128, 18, 18);
    start_with_->setToolTip(label_text(QStringLiteral("Эта галочка позволяет начать \r\nформирование бриф-системы, "
                                                      "\r\nначиная с заданного варианта \r\nрезультатов.")));
    start_with_->setAutoFillBackground(true);
    QPalette tip = start_with_->palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    start_with_->setPalette(tip);
    start_with_caption_ = new QLabel(QStringLiteral(" Начать с "), this);
    start_with_caption_->setObjectName(QStringLiteral("start_with_caption"));
    start_with_caption_->setGeometry(30, 128, 120, 130);
    start_with_caption_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    start_with_caption_->setAutoFillBackground(true);
    start_with_caption_->setToolTip(label_text(QStringLiteral("Здесь показан вариант результатов, \r\nс каторого начинается "
                                                              "формирование\r\nбриф-системы. Вариант состоит из исходов,\r\nвыбранных "
                                                              "последними в каждом из матчей.")));
    colour_start_with_caption(false);

    make_label(this, nullptr, QStringLiteral("Размер ставки"), 180, 128);
    stake_ = new CurrencyEdit(this);
    stake_->setObjectName(QStringLiteral("stake"));
    stake_->setGeometry(180, 144, 90, 22);
    stake_->setToolTip(QStringLiteral("Размер ставки"));

    foresight_ = new QLabel(this);
    foresight_->setObjectName(QStringLiteral("foresight"));
    // Right of the start-with caption, under the stake.
    foresight_->setGeometry(160, 176, 150, 96);
    foresight_->setWordWrap(true);
    foresight_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    foresight_->setToolTip(QStringLiteral("Что даст выбранный способ, насколько это известно до формирования"));
}

void FormationPanel::colour_start_with_caption(bool ticked) {
    QPalette palette = start_with_caption_->palette();
    palette.setColor(QPalette::Window, palette.color(ticked ? QPalette::ToolTipBase : QPalette::Button));
    start_with_caption_->setPalette(palette);
}

core::FormationMethod FormationPanel::method() const {
    return static_cast<core::FormationMethod>(method_->currentIndex());
}

void FormationPanel::read_into(core::FormationSettings& settings) {
    stake_->commit_typed_text();
    peek_into(settings);
}

void FormationPanel::peek_into(core::FormationSettings& settings) const {
    settings.method = method();
    settings.guarantee = guarantee_->value();
    settings.repeat_count = repeat_count_->value();
    settings.yellow_min = yellow_min_->value();
    settings.yellow_max = yellow_max_->value();
    settings.start_with = start_with_->isChecked();
    settings.stake = stake_->stake();
}

void FormationPanel::show_controls_of(core::FormationMethod method) {
    using enum core::FormationMethod;
    start_with_->setVisible(method == brief_systems);
    start_with_caption_->setVisible(method == brief_systems);
    // Only the best-chances package may ask for all 8 events.
    guarantee_->setMaximum(method == best_chances ? 8 : 7);
    guarantee_->setVisible(method == brief_systems || method == autoformation || method == best_chances);
    guarantee_caption_->setVisible(method == brief_systems || method == autoformation || method == best_chances);
    edit_probabilities_link_->setVisible(method == random_distribution || method == best_chances || method == return_maximising);
    yellow_min_->setVisible(method == sensations);
    yellow_max_->setVisible(method == sensations);
    upsets_caption_->setVisible(method == sensations);
    const bool repeats = method == random_distribution || method == autoformation || method == best_chances || method == return_maximising;
    repeat_count_->setVisible(repeats);
    repeat_caption_->setVisible(repeats);
}

}  // namespace morvalen::app
