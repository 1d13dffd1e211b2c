#pragma once

#include "ReportObject.h"
#include "ReportShape.h"
#include "ReportText.h"

#include <memory>
#include <vector>

// A band of a list template: a strip as wide as the printable area that
// holds its own objects. The report title prints once at the top of the
// first page, the master data band once after it (split across pages line
// by line when it is taller than the room left), the footer once after
// the data.
class ReportBand : public ReportObject {
public:
    enum class Kind { Title, MasterData, Footer };

    ReportBand(Kind kind, const QString& name, qreal height);

    Kind kind() const { return m_kind; }
    bool allowSplit() const { return m_allowSplit; }
    void setAllowSplit(bool on) { m_allowSplit = on; }

    const std::vector<std::unique_ptr<ReportObject>>& objects() const { return m_objects; }
    ReportObject* take(std::unique_ptr<ReportObject> object);

private:
    Kind m_kind;
    bool m_allowSplit = false;
    std::vector<std::unique_ptr<ReportObject>> m_objects;
};
