#pragma once

#include <QString>

namespace agrimor {

class DataAccess;
class MainWindow;

// Adds the menu items that open the working screens to `window`: "&Agrimor" (mm) opens a new
// consolidation screen modally on `shared`, its anomalies files going to `dataFolder`; its
// "Câmbios" opens the rate-import screen on the same connection. "&Classe 9" (Mensagem) opens a
// new class-9 screen, modally; "&Importar Movimentos" (ImpMov) a new movement import screen in
// the frame, not modal.
void addWorkingScreens(MainWindow& window, DataAccess& shared, const QString& dataFolder);

// Adds "&Fecho do Mês" (FechoMes) after the other items: the month-end board of this year in the
// frame, not modal, read again after any job run from the menu. A double click on a cell opens
// the screen of the job that comes next for that company and month, set to them: the movement
// import, the class-9 integration, the rate import or the consolidation.
void addMonthBoard(MainWindow& window, DataAccess& shared, const QString& dataFolder);

}  // namespace agrimor
