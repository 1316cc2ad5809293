// The one hex-digit reader of the stand-ins' text files.
#ifndef STAND_IN_HEX_DIGIT_H
#define STAND_IN_HEX_DIGIT_H

// The digit's value, or -1 when c is no hex digit (either case).
inline int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

#endif
