// A grid of text cells with fixed leading rows and columns, column widths that the cell painting
// may change, and an optional cell painter drawn over (or instead of) the grid's own drawing.
#pragma once

#include <functional>
#include <vector>

#include <QPainter>
#include <QScrollArea>
#include <QString>
#include <QWidget>

namespace morvalen::app {

class StringGrid : public QWidget {
    Q_OBJECT
public:
    StringGrid(int columns, int rows, QWidget* parent = nullptr);

    int column_count() const { return static_cast<int>(widths_.size()); }
    int row_count() const { return static_cast<int>(cells_.size()); }
    // Keeps the texts of the cells that remain; new columns take the default width.
    void set_column_count(int columns);
    void set_row_count(int rows);
    void set_fixed(int fixed_columns, int fixed_rows);
    void set_default_column_width(int width);
    void set_default_row_height(int height);

    QString cell(int column, int row) const;
    void set_cell(int column, int row, const QString& text);
    int column_width(int column) const;
    void set_column_width(int column, int width);
    int row_height() const { return row_height_; }

    // The cell's rectangle without the grid lines, in the grid's pixels.
    QRect cell_rect(int column, int row) const;
    bool is_fixed(int column, int row) const { return column < fixed_columns_ || row < fixed_rows_; }

    // Painted for every cell after the grid's own drawing of it (when that is on).
    std::function<void(QPainter&, int column, int row, const QRect& rect)> draw_cell;
    bool default_drawing = true;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void draw_default(QPainter& painter, int column, int row, const QRect& rect) const;
    void update_size();

    std::vector<std::vector<QString>> cells_;  // [row][column]
    std::vector<int> widths_;
    int default_width_ = 64;
    int row_height_ = 24;
    int fixed_columns_ = 1;
    int fixed_rows_ = 1;
    static constexpr int line_ = 1;
};

// Fills `window` with a frameless scroll area around `grid`, as every grid window shows it.
QScrollArea* fill_with_scrolled_grid(QWidget& window, StringGrid* grid);

}  // namespace morvalen::app
