// tic and toc measure on a monotonic clock; toc says how long it was.
output off; tic; wait(0.2); t = toc(); output on;
t >= 0.19 && t < 60
// wait below one second sleeps and reports the full time and no key; from
// one second on, piped input holds no keys: the time runs out too.
{t, c} = wait(0.3); t, c
wait(1, "status")
start = time(); wait(0.05); time() - start >= 0.045
// getnow: year, month, day, hour, minute, second, millisecond.
now = getnow(0); utc = getnow(1);
now[1] >= 2024 && now[2] >= 1 && now[2] <= 12 && now[3] >= 1 && now[3] <= 31
utc[4] < 24 && utc[5] < 60 && utc[6] <= 60 && utc[7] < 1000
getnow("x")
wait("x")
wait(1, 2)
