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
// What the entry field is for, as a screen reader names it.
constexpr const char* TEXT_MONTH_TOTAL_FIELD = "Total del mes";
constexpr const char* TEXT_EXPENSE_FIELD = "Gasto del ";
