yacasmode
yacasmode off
yacasmode;
yacasmode on, 1
matlab on
matlab
matlab off;
matlab other
