// The probability engine in the main window: the design's handlers, each handed to the
// driver, and what the driver asks of the window during a run.
#include "main_window.h"

#include <QCoreApplication>

void TfrmMain::MarkRecalcNeeded()
{
    Driver->MarkRecalcNeeded();
}

void TfrmMain::ShowSectorInfo(int32_t c, int32_t r)
{
    Driver->ShowSectorInfo(c, r);
    CloseIfAskedDuringRun();
}

void TfrmMain::RunEngine(int32_t c, int32_t r)
{
    Driver->RunEngine(c, r);
    CloseIfAskedDuringRun();
}

void TfrmMain::CloseIfAskedDuringRun()
{
    if (CloseWhenIdle) {
        CloseWhenIdle = false;
        close();
    }
}

void TfrmMain::lblModeClick()
{
    Driver->lblModeClick();
}

void TfrmMain::lblDepthClick()
{
    Driver->lblDepthClick();
}

void TfrmMain::lblDupCheckClick()
{
    Driver->lblDupCheckClick();
}

void TfrmMain::lblChModeClick()
{
    Driver->lblChModeClick();
}

void TfrmMain::lblRecalcClick()
{
    Driver->lblRecalcClick();
}

void TfrmMain::HandlePendingEvents()
{
    QCoreApplication::processEvents();
}
