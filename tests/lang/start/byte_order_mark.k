// A line that starts with a byte-order mark is refused; the rest of it
// runs as the next statement.
﻿1+1
2
