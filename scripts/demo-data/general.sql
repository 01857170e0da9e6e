-- Demo data of the general database: the three companies of the demo
-- installation and the users that may log in.

INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE, COMP_NIT, COMP_DIR, COMP_TELS, COMP_ENCABEZADO)
VALUES ('001', 'Casa matriz', '900100200-1', 'Calle 10 # 20-30', '601 555 0101', 'Papeleria Vertano - Casa matriz');
INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE, COMP_NIT, COMP_DIR, COMP_TELS, COMP_ENCABEZADO)
VALUES ('002', 'Sucursal Norte', '900100200-1', 'Avenida 68 # 100-20', '601 555 0202', 'Papeleria Vertano - Sucursal Norte');
INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE, COMP_NIT, COMP_DIR, COMP_TELS, COMP_ENCABEZADO)
VALUES ('003', 'Sucursal Sur', '900100200-1', 'Autopista Sur # 50-10', '601 555 0303', 'Papeleria Vertano - Sucursal Sur');

INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE) VALUES ('DEMO', 'Usuario de demostracion');
INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE) VALUES ('SYSDBA', 'Administrador');

COMMIT;
