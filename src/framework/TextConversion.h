#pragma once
// Accented texts written on a Macintosh (Mac OS Roman) and their Windows-1252 form. Only the
// 26 letters of the exchange table change; every other byte, the other accented letters
// included, stays as it is in both directions.

// Converts `s` in place up to its terminating zero; a null text is left alone.
void convert_string_mac_win(char* s);
void convert_string_win_mac(char* s);

// Converts the whole file from Mac OS Roman to Windows-1252 in place, in blocks of 1 000
// bytes; inside each block the conversion stops at the first zero byte. A file that cannot
// be opened for update is left alone.
void convertir_fichier_mac_win(const char* path);
