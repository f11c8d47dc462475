// SPDX-License-Identifier: GPL-3.0-or-later
// The program's messages, as the banner shows them.
#pragma once

constexpr const char* TEXT_WELCOME =
    "BIENVENIDO a Monedario Pro!!!. Tienes que elegir el día del mes donde comienza tu "
    "mensualidad y acto seguido meter el bruto mensual. Para ello tienes que elegir del menu la "
    "opción Mes nuevo. Espero que el programa te sea de utilidad ...";
constexpr const char* TEXT_GREETING = "BIENVENIDO a Monedario !!!";
constexpr const char* TEXT_SAVED = "Grabación realizada ...";
constexpr const char* TEXT_BITMAP = "Bitmap Captado ...";
constexpr const char* TEXT_AUTHOR = "Programa realizado por www.monedario.org";
constexpr const char* TEXT_START_DAY_PREFIX = "Bien has elegido el día ";
constexpr const char* TEXT_START_DAY_SUFFIX =
    " del mes. Escribe el total mensual, donde esta el cursor, en la esquina superior izquierda "
    "y pulsa ENTER después ...";
constexpr const char* TEXT_TOO_LONG = "La cifra no puede ser mayor de 6 digitos ...";
constexpr const char* TEXT_INVALID = "El dato Introducido NO es válido ...";
constexpr const char* TEXT_VIEWING_SUFFIX = " (solo lectura)";
constexpr const char* TEXT_UNSAVED_QUESTION =
    "Hay importes sin grabar. ¿Quieres grabarlos antes de salir?";
constexpr const char* ANSWER_SAVE = "Grabar";
constexpr const char* ANSWER_LEAVE_UNSAVED = "Salir sin grabar";
constexpr const char* ANSWER_CANCEL = "Cancelar";
constexpr const char* TEXT_NEW_PERIOD_QUESTION = "¿Empezar un periodo nuevo?";
constexpr const char* TEXT_NEW_PERIOD_KEEPS = " El periodo actual se guardará como ";
constexpr const char* ANSWER_NEW_PERIOD = "Empezar un periodo nuevo";
// "El periodo del 10 de diciembre de 2026 al 9 de enero de 2027 ha terminado. ¿Empezar uno
// nuevo? El periodo terminado se guardará como ahorros-2026-12-10.log."
constexpr const char* TEXT_FINISHED_PREFIX = "El periodo del ";
constexpr const char* TEXT_FINISHED_TO = " al ";
constexpr const char* TEXT_FINISHED_SUFFIX = " ha terminado. ¿Empezar uno nuevo?";
constexpr const char* TEXT_FINISHED_KEEPS = " El periodo terminado se guardará como ";
constexpr const char* ANSWER_NOT_NOW = "Ahora no";
// A day's menu.
constexpr const char* ITEM_CORRECT_DAY = "Corregir el gasto del día…";
constexpr const char* ITEM_UNDO = "Deshacer";
constexpr const char* ITEM_REDO = "Rehacer";

// The history of every period.
constexpr const char* TEXT_HISTORY_TITLE = "Historial – Monedario Pro";
constexpr const char* TEXT_HISTORY_COLUMNS[] = {"Periodo", "Días",         "Asignado",   "Gastado",
                                                "Queda",   "Días en rojo", "Mayor gasto"};
constexpr const char* TEXT_HISTORY_SAVE = "Guardar como CSV…";
constexpr const char* TEXT_HISTORY_SAVE_TITLE = "Guardar como CSV";
constexpr const char* TEXT_HISTORY_SAVE_NAME = "historial.csv";
constexpr const char* TEXT_HISTORY_SAVE_FILTER = "CSV (*.csv)";
constexpr const char* TEXT_HISTORY_CHART = "Gráfico del historial";
constexpr const char* TEXT_HISTORY_PERIODS = "Gastado frente a asignado, periodo a periodo";
constexpr const char* TEXT_HISTORY_PERIODS_LEGEND[] = {"Asignado", "Gastado", "Gastado de más"};
constexpr const char* TEXT_HISTORY_DAYS_LEGEND[] = {"Gastado", "Día en rojo", "Asignación diaria"};
constexpr const char* TEXT_HISTORY_NOT_IN_FOLDER =
    "El CSV no se guarda en la carpeta de los periodos, que el historial nunca cambia: elige "
    "otra carpeta.";
