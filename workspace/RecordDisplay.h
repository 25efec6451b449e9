#pragma once
// Null markers of the Table page's data controls and the red caption that shows them.
class QWidget;
namespace Ui { class TForm_Main; }

// Colours the caption of Control's column: red when IsNull, else black. No caption: nothing.
void SetNullMarker(Ui::TForm_Main& ui, QWidget* Control, bool IsNull);
// SetNullMarker for every data control of the page, from its marker ("null" exactly).
void RefreshNullMarkers(Ui::TForm_Main& ui);
