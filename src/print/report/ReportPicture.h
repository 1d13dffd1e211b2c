#pragma once

#include "ReportObject.h"

#include <QImage>

#include <memory>

// A picture made elsewhere (a chart, say), drawn scaled into its geometry.
// The image is shared by every page that prints it.
class ReportPicture : public ReportObject {
public:
    ReportPicture(const QString& name, const QRectF& geometry)
        : ReportObject(Type::Picture, name, geometry)
    {
    }

    const std::shared_ptr<const QImage>& image() const { return m_image; }
    void setImage(QImage image) { m_image = std::make_shared<const QImage>(std::move(image)); }

private:
    std::shared_ptr<const QImage> m_image;
};
