// Calendar rules of the Gregorian calendar, as the date fields and the command line check them.
#pragma once

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDay(int month, int year, int day);
