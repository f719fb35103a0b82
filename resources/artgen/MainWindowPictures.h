// The pictures stored with the main window's definition: its Protein title sections and title
// buttons, and the product picture shown in its image panel.
#pragma once

#include <QImage>
#include <QString>

namespace artgen {

// The 110 x 50 product picture: an RQ_27M module on a green board with a shielding can, a
// helical antenna and its label.
QImage productPicture();

// Writes TitleLeft.bmp, TitleClient.bmp, TitleRight.bmp (24 bits per pixel),
// BtnControlBox_{Normal,Over,Down}.bmp and BtnClose_{Normal,Over,Down}.bmp (32 bits per pixel)
// and img2.jpg into dir.
bool writeMainWindowPictures(const QString& dir, QString* error);

} // namespace artgen
