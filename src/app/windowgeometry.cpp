#include "app/windowgeometry.h"

#include <QWidget>

namespace tavrin::geometry {

void AtLeast(QWidget *control, QSize design)
{
    control->setMinimumSize(control->sizeHint().expandedTo(design));
}

} // namespace tavrin::geometry
