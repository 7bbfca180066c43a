namespace parcelo {}
