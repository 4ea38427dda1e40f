// Update files live in the database, never on the file system, so no request can reach a file
// outside the store.
#include "service/update_store.h"

namespace morvalen::service {

void ensure_update_schema(Database& db) {
    db.exec("CREATE TABLE IF NOT EXISTS update_files (name TEXT PRIMARY KEY, content BLOB NOT NULL)");
}

void put_update_file(Database& db, std::string_view name, const std::string& content) {
    db.prepare("INSERT OR REPLACE INTO update_files (name, content) VALUES (?, ?)")
        .bind(1, name)
        .bind_blob(2, content)
        .run();
}

std::optional<std::string> update_file(Database& db, std::string_view name) {
    auto statement = db.prepare("SELECT content FROM update_files WHERE name = ?");
    statement.bind(1, name);
    if (!statement.step()) return std::nullopt;
    return statement.column_text(0);
}

void remove_update_file(Database& db, std::string_view name) {
    db.prepare("DELETE FROM update_files WHERE name = ?").bind(1, name).run();
}

std::string_view default_help_page() {
    return R"html(<!DOCTYPE html>
<html lang="ru">
<head><meta charset="utf-8"><title>Тотализатор "Тарвил": справка</title></head>
<body>
<h1>Тотализатор "Тарвил"</h1>
<p>Программа помогает составить пакет ставок на тираж из 8 событий: отметьте возможные исходы
в таблице, выберите способ формирования пакета и добавьте ставки в список.</p>
<p>Способы формирования: бриф-системы, пакет по сенсациям, случайное распределение
по вероятностям и автоформирование с гарантией от 2 до 7 угаданных событий.</p>
<p>Готовый пакет можно скопировать для переноса, сохранить как текст или для Excel.</p>
</body>
</html>
)html";
}

}  // namespace morvalen::service
