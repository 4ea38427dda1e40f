// The program's own texts, as the desktop window shows them.

export const startCaption = "Тотализатор \"Тарвил\"";
export const errorCaption = "Ошибка";
export const eventsHeader = "События";

export const methodNames = [
  "Бриф-системы",
  "По \"сенсациям\"",
  "Случ. распределение",
  "Автоформирование",
  "Максимум шансов",
  "Максимум выигрыша",
];

export const panelTexts = {
  method: "Способ формирования пакета",
  addToList: "Добавить \r\nв список",
  guarantee: "Гарантия",
  guaranteeHint: "Гарантированное количество угаданных событий, \r\nесли результаты попали в отмеченные исходы",
  upsets: "Миним – Максим\r\n(число сенсаций) ",
  repeat: "Повторять",
  editProbabilities: "Редактирование\r\nвероятностей",
  startWith: " Начать с ",
  stake: "Размер ставки",
};

export interface MenuCommand {
  id: string;
  caption: string;
  keys?: string; // as the desktop's menu shows them
}

export const fileMenu = {
  caption: "Файлы",
  commands: [
    { id: "export_by_columns", caption: "Сохранить для Excell", keys: "Ctrl+E" },
    { id: "export_by_rows", caption: "Сохранить для Excell построчно", keys: "Ctrl+S" },
    { id: "save_text", caption: "Сохранить как текст", keys: "Ctrl+T" },
    { id: "save_quotes", caption: "Котировки в файл", keys: "Ctrl+K" },
    { id: "load_quotes", caption: "Котировки из файла", keys: "Ctrl+L" },
    { id: "refresh_line", caption: "Обновить линию", keys: "F5" },
  ] as MenuCommand[],
};

export const actionsMenu = {
  caption: "Действия",
  commands: [
    { id: "copy_for_transfer", caption: "Копировать для переноса", keys: "Ctrl+C" },
    { id: "add_coupon", caption: "Добавить купоном", keys: "Ctrl+D" },
    { id: "split_into_singles", caption: "Разложить на одиночные", keys: "Ctrl+O" },
    { id: "remove_repeats", caption: "Убрать повторы", keys: "Ctrl+W" },
    { id: "remove_variants", caption: "Изъять варианты из списка", keys: "Ctrl+Y" },
    { id: "clear_list", caption: "Очистить список ставок ", keys: "Ctrl+X" },
    { id: "filter_by_conditions", caption: "Отбор по условиям", keys: "Ctrl+F" },
    { id: "undo", caption: "Отменить", keys: "Ctrl+Z" },
    { id: "redo", caption: "Повторить", keys: "Ctrl+Shift+Z" },
  ] as MenuCommand[],
};

export const packageMenu = {
  caption: "Пакет",
  commands: [
    { id: "show_distribution", caption: "Распределение по исходам" },
    { id: "check_results", caption: "Проверка по результатам" },
    { id: "show_conditions", caption: "Условия", keys: "Ctrl+U" },
    { id: "conditions_enabled", caption: "Условия включены" },
    { id: "show_nearest_systems", caption: "Ближайшие бриф-системы" },
    { id: "pool_rules", caption: "Правила тотализатора" },
  ] as MenuCommand[],
};

export const resultsTexts = {
  title: "Проверка пакета по результатам",
  eventResult: (e: number) => `Результат события ${e}`,
  missing: "Выберите результаты всех 8 событий",
  hits: "Совпадений",
  bets: "Ставок",
  share: "Доля, %",
  atLeast: "Не менее",
  error: "Погрешность, %",
  total: "Всего",
  exact: " (точный расчёт)",
  notComputed: "Шансы пакета не рассчитаны: ",
  expectedFull: "Ожидаемое число ставок с 8 совпадениями: ",
};

export const distributionTitle = "Распределение ставок пакета по исходам";

export const editorTexts = {
  title: "Редактирование вероятностей исходов (мышкой)",
  uniform: "Равномерно",
  quotes: "По котировкам БК",
  pool: "По пулу",
  quotesSeries: "Котировки",
  settingSeries: "Установка",
  axis: "Вероятность, %",
};

export const conditionsTexts = {
  title: "Условия",
  enabled: "Условия включены",
  grammar: "Одно условие в строке: errors E; count ОТ ДО ГРУППА; probability ОТ ДО; popularity ОТ ДО; value ОТ ДО (# — комментарий, * — без верхней границы)",
  from: "От",
  to: "До",
  add: "Добавить",
  errors: "Допустимых ошибок",
  save: "Сохранить…",
  load: "Загрузить…",
  costHeaders: ["Условие", "Остаётся вариантов", "Доля, %", "Вероятность, %"],
  setRow: "Все включённые, ошибок не более ",
  markAll: "Отметьте исходы во всех событиях",
  estimate: (samples: number) => `Оценка по ${samples} случайным вариантам, после ± стандартная ошибка`,
  exact: (variants: number, percent: string) => `Точный расчёт по ${variants} вариантам; вероятность отмеченных ${percent}%`,
};

export const poolRulesTexts = {
  title: "Правила тотализатора",
  tickets: "Ставок остальных игроков",
  payout: "Доля выплат",
  tiers: "Разряды (совпадений:доля)",
  jackpot: "Джекпот",
  ok: "ОК",
  clear: "Не учитывать",
  cancel: "Отмена",
  separators: "Правила тотализатора: знаки \";\" и \"=\" в полях не допускаются",
  defaults: "tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=0",
};

export const nearestTexts = {
  title: "Ближайшие бриф-системы",
  none: (first: number, second: number) =>
    `Готовой бриф-системы рядом с отметками нет (в двух самых широких событиях отмечено ${first} и ${second} исходов)`,
};

export const stopCaption = "Стоп";
export const closeCaption = "Закрыть";
export const checkCaption = "Проверить";
export const noSystemText = "Бриф-системы с такой подписью на сервере нет";
export const lineMissingText = "Линия не получена: обновите её (F5)";
export const copiedText = "Пакет скопирован в буфер обмена";
export const stoppedWorkerText = "Расчёт остановлен; сформированные до остановки ставки не сохранены";

// Captions are written with CR LF line breaks; the page breaks them on LF.
export function labelText(caption: string): string {
  return caption.replace(/\r\n/g, "\n");
}
