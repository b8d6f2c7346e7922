// A program file that begins with a UTF-8 byte-order mark loads; the mark
// inside a command line is still refused.
load files/byte_order_mark.k
grüße
verdopple(21)
﻿1+1
