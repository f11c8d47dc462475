// The grid of day records and the period's start date.
#include <cstring>

#include "model/model.h"

PeriodModel period;

void CreateDayGrid() {
    std::memset(period.dayGrid, 0, sizeof period.dayGrid);
}

void ResetPeriod() {
    CreateDayGrid();
    period.startDay = period.startMonth = period.startYear = 0;
}
