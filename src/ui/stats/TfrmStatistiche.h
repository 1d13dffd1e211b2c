#pragma once

#include "core/stats/CollectionStats.h"
#include "ui/shell/TForm.h"

#include <memory>
#include <vector>

class QChartView;
class QLabel;
class QTabWidget;

// What the catalogue holds and how it is lent, in charts: a tab per
// collection, a chart per section, each printable with its numbers beside
// it, and the whole set printable as one document. A dialog window that its
// opener creates afresh for each use.
class TfrmStatistiche : public TForm {
    Q_OBJECT
public:
    explicit TfrmStatistiche(QWidget* owner = nullptr);
    ~TfrmStatistiche() override;

    // The counts shown, one per collection in Collection::all() order.
    const std::vector<std::unique_ptr<CollectionStats>>& stats() const { return m_stats; }
    // The charts of collection `tab`, in section order.
    std::vector<QChartView*> charts(int tab) const;

    void btnStampaClick(int tab, int section);
    void btnStampaTuttoClick();
    void btnChiudiClick() { close(); }

    // Opens a fresh statistics screen over `owner` and waits until it closes.
    static void open(QWidget* owner);

protected:
    void formShow() override;

private:
    void fill();

    int m_days;
    std::vector<std::unique_ptr<CollectionStats>> m_stats;
    QTabWidget* m_tabs = nullptr;
    QLabel* m_lblLettura = nullptr;
};
