#pragma once
// The live plot of the line profile tool: the values along the line, one curve per
// channel (one grey curve for a mono camera), levels 0 .. 255 bottom to top.
#include <QPixmap>
#include <QWidget>

#include "MeasureLogic.h"

class ProfilePlot : public QWidget {
    Q_OBJECT
public:
    explicit ProfilePlot(QWidget* parent = nullptr);
    void setProfile(const measurelogic::Profile& profile, bool monochrome);
    const measurelogic::Profile& profile() const { return shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The plot sits over the live image and is repainted with every frame shown beneath
    // it; the curves are drawn once per profile and then only copied.
    void render();
    QPixmap rendered;
    measurelogic::Profile shown;
    bool mono = false;
};
